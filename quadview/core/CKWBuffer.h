#pragma once
#include <cstdint>
#include <memory>
#include <string>

// A zero-filled buffer of elements allocated once for the object's lifetime. Reads beyond the
// size give 0 and writes beyond it are ignored.
template <typename Element> class CKWBuffer {
public:
    CKWBuffer() = default;
    virtual ~CKWBuffer() = default;
    CKWBuffer(const CKWBuffer&) = delete;
    CKWBuffer& operator=(const CKWBuffer&) = delete;

    // Replaces any earlier storage with `size` zeroed elements; on failure the buffer is empty
    // and 0 is returned.
    [[nodiscard]] int Allocate(std::uint32_t size) {
        m_data.reset(new (std::nothrow) Element[size]());
        m_size = m_data ? size : 0;
        return m_data ? 1 : 0;
    }
    Element GetAt(std::uint32_t index) const { return index < m_size ? m_data[index] : Element{}; }
    void SetAt(std::uint32_t index, Element value) {
        if (index < m_size)
            m_data[index] = value;
    }
    Element* GetData() { return m_data.get(); }
    const Element* GetData() const { return m_data.get(); }
    std::uint32_t GetSize() const { return m_size; }
    const std::string& GetClassName() const { return m_className; }

protected:
    std::string m_className;

private:
    std::unique_ptr<Element[]> m_data;
    std::uint32_t m_size = 0;
};

using CKWBuffer_BYTE = CKWBuffer<std::uint8_t>;
// Sound samples.
using CKWBuffer_SHORT = CKWBuffer<std::int16_t>;
