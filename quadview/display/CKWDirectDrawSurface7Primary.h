#pragma once
#include "CKWDirectDrawSurface7.h"

class KWDisplayClipper;
class KWDisplayDevice;
class KWDisplayWindow;

// The display's primary surface, drawn into through a clipper on the video window. Constructing
// one checks that the display has the capabilities the program requires and ends the program
// when it does not.
class CKWDirectDrawSurface7Primary : public CKWDirectDrawSurface7 {
public:
    enum ScreenType { kScreenExclusive = 1, kScreenWindowed = 2 };

    CKWDirectDrawSurface7Primary();
    ~CKWDirectDrawSurface7Primary() override;

    [[nodiscard]] int Create(KWDisplayWindow* window, int screenType);
    void Release() override;

    // Stretches a source rectangle into a rectangle of the video window's client area.
    int Blit(const KWRect& destination, CKWDirectDrawSurface7& source, const KWRect& sourceRect);
    int BlitSurface(const KWRect& destination, CKWDirectDrawSurface7& source);
    int BlitToView(CKWDirectDrawSurface7& source);

    std::uint32_t GetViewWidth() const { return m_viewWidth; }
    std::uint32_t GetViewHeight() const { return m_viewHeight; }
    KWPoint GetClientOrigin() const;
    KWDisplayDevice* GetDevice() const { return m_device.get(); }
    KWDisplayWindow* GetWindow() const { return m_window; }
    int GetScreenType() const { return m_screenType; }

    std::string GetDescription() const override;

private:
    void CheckCapabilities();
    int Fail(const char* message);

    std::shared_ptr<KWDisplayClipper> m_clipper;
    KWDisplayWindow* m_window = nullptr;
    int m_screenType = 0;
    std::uint32_t m_viewWidth = 0;
    std::uint32_t m_viewHeight = 0;
    std::shared_ptr<KWDisplayDevice> m_device;
    std::unique_ptr<KWDisplayCapabilities> m_hardwareCaps;
    std::unique_ptr<KWDisplayCapabilities> m_emulationCaps;
};
