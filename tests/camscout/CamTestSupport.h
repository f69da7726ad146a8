#pragma once
#include "CCamFinderView.h"
#include "CCamModal.h"
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

#include <QObject>
#include <QString>
#include <QUrl>

class QDialog;

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

// A camera at 10.0.0.5:81 behind the gateway 10.0.0.1.
CameraRecord TestCamera(const char* name, const char* mac, const char* netMask);

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
    void ShowSearching(bool on) override { searching = on; }
    void StartTimer(std::uint32_t id, std::uint32_t periodMs) override { timers[id] = periodMs; }
    void KillTimer(std::uint32_t id) override { timers.erase(id); }
    void Quit(int exitCode) override { quitCode = exitCode; }

    bool searching = false;
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

// Replaces the finder's modal dialogs for its lifetime: each dialog is handed to the script,
// which fills it in and closes it (accept or reject) and returns dialog.result().
class ModalScript {
public:
    explicit ModalScript(CCamModal::Runner script) : m_previous(CCamModal::SetRunner(script)) {}
    ~ModalScript() { CCamModal::SetRunner(std::move(m_previous)); }
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;

private:
    CCamModal::Runner m_previous;
};

// Sets a line edit of a dialog, found by its control id.
void SetEditText(QDialog& dialog, int id, const QString& text);

// Receives the links the desktop would open, instead of a browser.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    UrlRecorder();
    ~UrlRecorder() override;
    Q_INVOKABLE void Open(const QUrl& url) { urls.push_back(url.toString()); }
    std::vector<QString> urls;
};

// Makes a directory the current one for its lifetime (the language catalogues are looked for
// in the current directory).
class CurrentDirectory {
public:
    explicit CurrentDirectory(const QString& path);
    ~CurrentDirectory();

private:
    QString m_previous;
};

// The directory the build puts the programs and the language catalogues in.
QString ProgramDirectory();
