#include "CamTestSupport.h"

#include "KWMailbox.h"
#include "KWPollUntil.h"
#include "KWProcessEventsUntil.h"
#include "KWRunProgram.h"

#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace {
constexpr const char* kLoopback = "127.0.0.1";
constexpr int kListenSliceMs = 20;
} // namespace

std::uint16_t FreeUdpPort() {
    CKWUdpSocket probe;
    if (!probe.Open() || !probe.Bind(kLoopback, 0))
        return 0;
    return probe.LocalPort();
}

bool PumpUntil(const std::function<bool()>& done, std::uint32_t timeoutMs) {
    auto mailbox = KWMailbox::ForCurrentThread();
    return KWProcessEventsUntil(
        [&] {
            mailbox->DeliverAll();
            return done();
        },
        std::chrono::milliseconds(timeoutMs));
}

FakeCamera::FakeCamera(std::uint16_t replyPort) : m_replyPort(replyPort) {
    m_commands.Open();
    m_commands.Bind(kLoopback, 0);
    m_commandPort = m_commands.LocalPort();
    m_replies.Open();
    m_thread = std::thread(&FakeCamera::Listen, this);
}

FakeCamera::~FakeCamera() {
    m_stop = true;
    m_thread.join();
}

void FakeCamera::AnswerQueriesWith(std::vector<std::string> replies) {
    std::lock_guard lock(m_mutex);
    m_answers = std::move(replies);
}

void FakeCamera::Send(const std::string& datagram) {
    m_replies.SendTo(datagram, kLoopback, m_replyPort);
}

std::vector<std::string> FakeCamera::Commands() const {
    std::lock_guard lock(m_mutex);
    return m_received;
}

bool FakeCamera::WaitForCommands(std::size_t count, std::uint32_t timeoutMs) const {
    return KWPollUntil([&] { return Commands().size() >= count; },
                       std::chrono::milliseconds(timeoutMs));
}

void FakeCamera::Listen() {
    char buffer[2048];
    while (!m_stop) {
        const long length = m_commands.Receive(buffer, sizeof(buffer), kListenSliceMs);
        if (length < 0)
            continue;
        const std::string command(buffer, static_cast<std::size_t>(length));
        std::vector<std::string> answers;
        {
            std::lock_guard lock(m_mutex);
            m_received.push_back(command);
            if (command == "KESTRAQUERY,0")
                answers = m_answers;
        }
        for (const std::string& answer : answers)
            Send(answer);
    }
}

CamEndpoints LoopbackEndpoints(std::uint16_t commandPort, std::uint16_t replyPort) {
    CamEndpoints endpoints;
    endpoints.broadcastAddress = kLoopback;
    endpoints.listenAddress = kLoopback;
    endpoints.commandPort = commandPort;
    endpoints.replyPort = replyPort;
    return endpoints;
}

std::string Reply(char kind, const std::string& mac, const std::string& address,
                  const std::string& name, const std::string& status) {
    std::string text = std::string("KESTRAREPLY,") + kind + "," + mac + "," + address +
                       ",255.255.255.0,192.168.0.1," + name;
    if (!status.empty())
        text += "," + status;
    return text;
}

CameraRecord TestCamera(const char* name, const char* mac, const char* netMask) {
    CameraRecord record;
    CameraRecord::SetText(record.name, name);
    CameraRecord::SetText(record.mac, mac);
    CameraRecord::SetText(record.address, "10.0.0.5:81");
    CameraRecord::SetText(record.netMask, netMask);
    CameraRecord::SetText(record.gateway, "10.0.0.1");
    record.port = 81;
    return record;
}

void SetEditText(QDialog& dialog, int id, const QString& text) {
    QLineEdit* edit = dialog.findChild<QLineEdit*>(QString::number(id));
    if (!edit) {
        ADD_FAILURE() << "dialog has no edit " << id;
        return;
    }
    edit->setText(text);
}

UrlRecorder::UrlRecorder() {
    QDesktopServices::setUrlHandler("http", this, "Open");
}

UrlRecorder::~UrlRecorder() {
    QDesktopServices::unsetUrlHandler("http");
}

CurrentDirectory::CurrentDirectory(const QString& path) : m_previous(QDir::currentPath()) {
    QDir::setCurrent(path);
}

CurrentDirectory::~CurrentDirectory() {
    QDir::setCurrent(m_previous);
}

QString ProgramDirectory() {
    return QString::fromStdString(KWProgramFolder());
}
