#pragma once
#include "KWDisplayTypes.h"
#include "KWPixelBuffer.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

// A window as the display driver sees it: a client area at a screen position and the frame
// buffer that shows it, kept in the display's pixel layout. The video-area widget is one; tests
// and offscreen rendering use the class as it is. Everything here may be called from any thread.
class KWDisplayWindow {
public:
    // A frame buffer of the given client size (none while a size is 0).
    explicit KWDisplayWindow(std::int32_t width = 0, std::int32_t height = 0);
    virtual ~KWDisplayWindow() = default;
    KWDisplayWindow(const KWDisplayWindow&) = delete;
    KWDisplayWindow& operator=(const KWDisplayWindow&) = delete;

    KWSize GetClientSize() const;
    // Reallocates the frame buffer, cleared, when the size changes.
    void SetClientSize(std::int32_t width, std::int32_t height);
    // Counts the frame buffer's reallocations: a drawer that remembers it knows when what it
    // drew is gone. Read without the lock, so a drawer may check it on every picture.
    std::uint64_t GetBufferGeneration() const { return m_bufferGeneration.load(); }
    // Called after each reallocation of the frame buffer, so that a drawer at rest can draw
    // again; one handler at a time, an empty one for none. Once this returns, the handler it
    // replaced is not running and is not called again.
    void SetBufferReplacedHandler(std::function<void()> handler);
    KWPoint GetClientOrigin() const;
    void SetClientOrigin(KWPoint origin);

    // The frame buffer is read and written only while this lock is held.
    std::unique_lock<std::mutex> LockFrameBuffer() const { return std::unique_lock(m_mutex); }
    KWPixelBuffer& GetFrameBuffer() { return m_frameBuffer; }
    const KWPixelBuffer& GetFrameBuffer() const { return m_frameBuffer; }

    // Called, without the lock, after the driver changed `area` of the frame buffer (client
    // coordinates, within the buffer).
    virtual void OnFrameBufferChanged(const KWRect& area) { (void)area; }

private:
    mutable std::mutex m_mutex;
    KWPoint m_origin;
    KWSize m_size;
    KWPixelBuffer m_frameBuffer;
    std::atomic<std::uint64_t> m_bufferGeneration{0};
    // Held while the handler runs, so that replacing it waits for a call in progress.
    std::mutex m_handlerMutex;
    std::function<void()> m_bufferReplaced;
};
