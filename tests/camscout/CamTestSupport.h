#pragma once
#include "CCamFinderView.h"
#include "CKWUdpSocket.h"
#include "CamEndpoints.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A port no socket on 127.0.0.1 uses right now, so parallel test runs do not collide.
std::uint16_t FreeUdpPort();

// Delivers the calling thread's queued messages (and Qt events when an application exists)
// until the condition holds; false after the time-out.
bool PumpUntil(const std::function<bool()>& done, std::uint32_t timeoutMs = 5000);

// A camera on 127.0.0.1: records every command it receives and answers each discovery query
// with the configured replies, sent to the finder's reply port.
class FakeCamera {
public:
    explicit FakeCamera(std::uint16_t replyPort);
    ~FakeCamera();

    std::uint16_t CommandPort() const { return m_commandPort; }
    void AnswerQueriesWith(std::vector<std::string> replies);
    void Send(const std::string& datagram);
    std::vector<std::string> Commands() const;
    bool WaitForCommands(std::size_t count, std::uint32_t timeoutMs = 5000) const;

private:
    void Listen();

    const std::uint16_t m_replyPort;
    CKWUdpSocket m_commands;
    CKWUdpSocket m_replies;
    std::uint16_t m_commandPort = 0;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_received;
    std::vector<std::string> m_answers;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// Loopback endpoints for a finder that talks to the fake camera.
CamEndpoints LoopbackEndpoints(std::uint16_t commandPort, std::uint16_t replyPort);

// A reply datagram: "KESTRAREPLY,kind,mac,address,mask,gateway,name[,status]".
std::string Reply(char kind, const std::string& mac, const std::string& address,
                  const std::string& name = "cam", const std::string& status = "");

// A view that records what the finder shows.
class RecordingView : public CCamFinderView {
public:
    void EnableSearch(bool enable) override { searchEnabled = enable; }
    void EnableSettingAll(bool enable) override { settingAllEnabled = enable; }
    void EnableUpdateButtons(bool enable) override { updateButtonsEnabled = enable; }
    void ShowCameras(const std::vector<CameraRecord>& cameras) override {
        shownRows = cameras.size();
        ++listRebuilds;
    }
    void SetTotalText(const std::string& text) override { totals.push_back(text); }
    void AppendLog(const std::string& text) override { log.push_back(text); }
    void StartTimer(std::uint32_t id, std::uint32_t periodMs) override { timers[id] = periodMs; }
    void KillTimer(std::uint32_t id) override { timers.erase(id); }
    void Quit(int exitCode) override { quitCode = exitCode; }

    bool searchEnabled = true;
    bool settingAllEnabled = true;
    bool updateButtonsEnabled = true;
    std::size_t shownRows = 0;
    int listRebuilds = 0;
    std::vector<std::string> totals;
    std::vector<std::string> log;
    std::map<std::uint32_t, std::uint32_t> timers;
    int quitCode = -1;
};
