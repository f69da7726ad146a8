#pragma once
#include "CKWDirectDrawSurface7.h"

class CKWDirectDrawSurface7Primary;
struct KWLockedSurface;

// An off-screen surface made for one primary surface. Its pixel format is the first one from
// `firstFormat` on, along the fixed preference list, that the driver accepts.
class CKWDirectDrawSurface7Memory : public CKWDirectDrawSurface7 {
public:
    CKWDirectDrawSurface7Memory();

    [[nodiscard]] virtual int Create(CKWDirectDrawSurface7Primary& primary, std::uint32_t width,
                                     std::uint32_t height, int firstFormat);

    CKWDirectDrawSurface7Primary* GetPrimary() const { return m_primary; }

protected:
    // Makes the driver surface, trying the formats from `firstFormat` up; keeps the object empty
    // when none is accepted.
    int CreateSurface(std::uint32_t width, std::uint32_t height, int firstFormat);
    // Locks the whole surface, waiting while it is busy; a lost surface is restored and locked
    // once more. 1/0.
    int LockSurface(KWLockedSurface& locked);

    CKWDirectDrawSurface7Primary* m_primary = nullptr;
};
