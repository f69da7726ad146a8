#include "CCamFinder.h"

#include "CCamCommand.h"
#include "CamMessages.h"
#include "KWMailbox.h"
#include "KWMessageBox.h"
#include "KWTick.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <utility>

namespace {
constexpr const char* kSecondInstanceCaption = "Cam Scout";
constexpr const char* kTotalPrefix = "Total: ";

constexpr const char* kUpdatedIp = "update IP ";
constexpr const char* kUpdatedMac = "update MAC ";
constexpr const char* kUpdatedName = "update name ";
constexpr const char* kUpdatedPort = "update port ";
constexpr const char* kSetDefault = "Set Default ";
constexpr const char* kResetSuccess = "reset SUCCESS";
constexpr const char* kSecondsPlaceholder = "%1";
constexpr std::uint32_t kMillisecondsPerSecond = 1000;

// "IPCAM IP[address], MAC[mac] " followed by the action; built by concatenation so that
// characters such as '%' in the camera's texts stay as they are.
std::string LogPrefix(const CameraRecord& record) {
    return std::string("IPCAM IP[") + record.address + "], MAC[" + record.mac + "] ";
}

bool Same(const char* a, const char* b) {
    return std::strcmp(a, b) == 0;
}

// MAC texts name the same camera whatever the case of their hexadecimal digits.
bool SameMac(const std::string& a, const std::string& b) {
    return !a.empty() && a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}
} // namespace

CCamFinder::CCamFinder(CCamFinderView& view, CamEndpoints endpoints)
    : m_view(view), m_endpoints(std::move(endpoints)) {}

CCamFinder::~CCamFinder() {
    Close();
    // Records the receiver posted before it stopped are still queued for this target; deliver
    // them now so they are freed rather than lost with the target.
    if (auto mailbox = KWMailbox::CurrentIfAny(); mailbox && mailbox->IsOwnerThread())
        mailbox->DeliverAll();
}

bool CCamFinder::Start() {
    m_sendSocket.Open();
    if (!m_receiver.Start(this, m_endpoints.listenAddress, m_endpoints.replyPort)) {
        KWMessageBox(m_view.Text(CamText::ThreadFailed), "", KWMessageBoxFlags::kOk);
        return false;
    }
    return true;
}

void CCamFinder::Close() {
    if (m_closed)
        return;
    m_closed = true;
    m_sendSocket.Close();
    m_receiver.Stop();
}

void CCamFinder::StartSearch() {
    m_searching = true;
    m_view.ShowSearching(true);
    m_view.KillTimer(kSearchEndTimerId);
    m_view.EnableSearch(false);
    m_view.EnableUpdateButtons(false);
    m_view.EnableSettingAll(false);
    m_cameras.clear();
    m_view.ShowCameras(m_cameras);
    ShowTotal();
    SendBroadcast(CCamCommand::Query());
    m_view.StartTimer(kSearchTimerId, kSecondBroadcastDelayMs);
}

void CCamFinder::OnTimer(std::uint32_t id) {
    switch (id) {
    case kSearchTimerId:
        m_view.KillTimer(kSearchTimerId);
        m_view.EnableSearch(true);
        m_view.EnableSettingAll(true);
        SendBroadcast(CCamCommand::Query());
        m_view.StartTimer(kSearchEndTimerId, kSearchEndDelayMs);
        break;
    case kSearchEndTimerId:
        m_view.KillTimer(kSearchEndTimerId);
        EndSearch();
        break;
    case kAnswerTimerId:
        m_view.KillTimer(kAnswerTimerId);
        LogUnanswered();
        break;
    default:
        break;
    }
}

// Cameras that answer later are still listed; the search shows as over and an empty list is
// explained.
void CCamFinder::EndSearch() {
    m_searching = false;
    m_view.ShowSearching(false);
    if (m_cameras.empty())
        m_view.AppendLog(m_view.Text(CamText::NoCameraFound));
}

// Every command sent restarts the wait, so each one has at least the whole wait for its answer.
void CCamFinder::SendCommand(const std::string& command, const CameraRecord& target,
                             const char* action, std::uint32_t reply, const std::string& newMac) {
    SendBroadcast(command);
    m_pending.push_back(PendingCommand{target, action, reply, newMac});
    if (reply == CamMessages::WM_CAM_NAME_UPDATED)
        m_searchAfterNameChange = true;
    m_view.StartTimer(kAnswerTimerId, kAnswerWaitMs);
}

bool CCamFinder::Acknowledge(std::uint32_t message, const CameraRecord& record) {
    const auto answered =
        std::find_if(m_pending.begin(), m_pending.end(), [&](const PendingCommand& pending) {
            return pending.reply == message &&
                   (SameMac(pending.target.mac, record.mac) || SameMac(pending.newMac, record.mac));
        });
    const bool acknowledged = answered != m_pending.end();
    if (acknowledged)
        m_pending.erase(answered);
    if (m_pending.empty())
        m_view.KillTimer(kAnswerTimerId);
    return acknowledged;
}

void CCamFinder::SearchAfterNameChange(bool acknowledged) {
    if (!acknowledged || !m_searchAfterNameChange)
        return;
    m_searchAfterNameChange = false;
    StartSearch();
}

void CCamFinder::LogUnanswered() {
    std::string noAnswer = m_view.Text(CamText::NoAnswer);
    const std::size_t seconds = noAnswer.find(kSecondsPlaceholder);
    if (seconds != std::string::npos)
        noAnswer.replace(seconds, std::strlen(kSecondsPlaceholder),
                         std::to_string(kAnswerWaitMs / kMillisecondsPerSecond));
    for (const PendingCommand& pending : m_pending)
        m_view.AppendLog(LogPrefix(pending.target) + pending.action + noAnswer);
    m_pending.clear();
}

bool CCamFinder::SendBroadcast(const std::string& text) {
    return m_sendSocket.SendTo(text, m_endpoints.broadcastAddress, m_endpoints.commandPort);
}

const char* CCamFinder::Scramble(const char* password) {
    CCamCommand::ScramblePassword(password, m_credentials.scrambledPassword,
                                  sizeof(m_credentials.scrambledPassword));
    return m_credentials.scrambledPassword;
}

void CCamFinder::SendUpdateIp(const CameraRecord& target, const char* address, const char* netMask,
                              const char* gateway, const char* user, const char* password) {
    SendCommand(
        CCamCommand::UpdateIp(target.mac, address, netMask, gateway, user, Scramble(password)),
        target, kUpdatedIp, CamMessages::WM_CAM_IP_UPDATED);
}

void CCamFinder::SendUpdateMac(const CameraRecord& target, const char* newMac, const char* user,
                               const char* password) {
    SendCommand(CCamCommand::UpdateMac(target.mac, newMac, user, Scramble(password)), target,
                kUpdatedMac, CamMessages::WM_CAM_MAC_UPDATED, newMac);
}

void CCamFinder::SendUpdateName(const CameraRecord& target, const char* newName, const char* user,
                                const char* password) {
    SendCommand(CCamCommand::UpdateName(target.mac, newName, user, Scramble(password)), target,
                kUpdatedName, CamMessages::WM_CAM_NAME_UPDATED);
}

void CCamFinder::SendUpdatePort(const CameraRecord& target, int port, const char* user,
                                const char* password) {
    SendCommand(CCamCommand::UpdatePort(target.mac, port, user, Scramble(password)), target,
                kUpdatedPort, CamMessages::WM_CAM_PORT_UPDATED);
}

void CCamFinder::SendSetDefault(const CameraRecord& target, const char* user,
                                const char* password) {
    SendCommand(CCamCommand::SetDefault(target.mac, user, Scramble(password)), target, kSetDefault,
                CamMessages::WM_CAM_DEFAULT_SET);
}

void CCamFinder::SendAndPause(const std::string& command, const CameraRecord& target,
                              const char* action, std::uint32_t reply, const std::string& newMac) {
    SendCommand(command, target, action, reply, newMac);
    KWSleep(kBatchPauseMs);
}

void CCamFinder::SendBatch(const std::vector<CameraRecord>& oldList,
                           const std::vector<CameraRecord>& newList, const char* user,
                           const char* password) {
    CameraRecord::CopyText(m_credentials.batchUser, sizeof(m_credentials.batchUser), user);
    CameraRecord::CopyText(m_credentials.batchPassword, sizeof(m_credentials.batchPassword),
                           password);
    if (oldList.size() != newList.size())
        return;
    using namespace CamMessages;
    const char* batchUser = m_credentials.batchUser;
    const char* batchPassword = m_credentials.batchPassword;
    m_view.ShowWaitCursor(true);
    for (std::size_t i = 0; i < oldList.size(); ++i) {
        const CameraRecord& was = oldList[i];
        const CameraRecord& now = newList[i];
        // The address text carries the port, so a port change alone also sends kind 1.
        if (!Same(was.address, now.address) || !Same(was.netMask, now.netMask) ||
            !Same(was.gateway, now.gateway))
            SendAndPause(CCamCommand::UpdateIp(was.mac, now.address, now.netMask, now.gateway,
                                               batchUser, Scramble(batchPassword)),
                         was, kUpdatedIp, WM_CAM_IP_UPDATED);
        if (!Same(was.name, now.name))
            SendAndPause(
                CCamCommand::UpdateName(was.mac, now.name, batchUser, Scramble(batchPassword)), was,
                kUpdatedName, WM_CAM_NAME_UPDATED);
        if (was.port != now.port)
            SendAndPause(
                CCamCommand::UpdatePort(was.mac, now.port, batchUser, Scramble(batchPassword)), was,
                kUpdatedPort, WM_CAM_PORT_UPDATED);
        // New MACs differ only when the user unlocked MAC changes and confirmed the list that
        // showed them, so they are sent like the other changes.
        if (!Same(was.mac, now.mac))
            SendAndPause(
                CCamCommand::UpdateMac(was.mac, now.mac, batchUser, Scramble(batchPassword)), was,
                kUpdatedMac, WM_CAM_MAC_UPDATED, now.mac);
    }
    m_view.ShowWaitCursor(false);
}

KWResult CCamFinder::OnMessage(std::uint32_t message, KWWParam wParam, KWLParam) {
    using namespace CamMessages;
    // A close posted before an earlier one was handled (the window already closing) is spent.
    if (message == WM_CLOSE) {
        if (!m_closed) {
            m_view.Quit(kCloseExitCode);
            Close();
        }
        return 0;
    }
    if (message == WM_CAM_BIND_FAILED) {
        if (!m_closed)
            OnBindFailed();
        return 0;
    }
    if (message >= WM_CAM_FOUND && message <= WM_CAM_RESET) {
        const std::unique_ptr<CameraRecord> record(reinterpret_cast<CameraRecord*>(wParam));
        if (record && !m_closed)
            OnReply(message, *record);
    }
    return 0;
}

void CCamFinder::OnReply(std::uint32_t message, const CameraRecord& record) {
    using namespace CamMessages;
    const bool acknowledged = message != WM_CAM_FOUND && Acknowledge(message, record);
    switch (message) {
    case WM_CAM_FOUND:
        OnCameraFound(record);
        break;
    case WM_CAM_IP_UPDATED:
        OnAcknowledged(kUpdatedIp, record);
        break;
    case WM_CAM_MAC_UPDATED:
        OnAcknowledged(kUpdatedMac, record);
        break;
    case WM_CAM_NAME_UPDATED:
        OnAcknowledged(kUpdatedName, record);
        SearchAfterNameChange(acknowledged);
        break;
    case WM_CAM_PORT_UPDATED:
        OnAcknowledged(kUpdatedPort, record);
        break;
    case WM_CAM_DEFAULT_SET:
        OnDefaultOrReset(LogPrefix(record) + kSetDefault + record.status, record);
        break;
    case WM_CAM_RESET:
        OnDefaultOrReset(LogPrefix(record) + kResetSuccess, record);
        break;
    default:
        break;
    }
}

void CCamFinder::OnCameraFound(const CameraRecord& record) {
    MergeCamera(record, MatchBy::MacAndAddress);
    ShowTotal();
}

void CCamFinder::OnAcknowledged(const char* action, const CameraRecord& record) {
    m_view.AppendLog(LogPrefix(record) + action + record.status);
}

void CCamFinder::OnDefaultOrReset(const std::string& logText, const CameraRecord& record) {
    MergeCamera(record, MatchBy::MacOrAddress);
    m_view.AppendLog(logText);
    ShowTotal();
}

void CCamFinder::OnBindFailed() {
    KWMessageBox(m_view.Text(CamText::SecondInstance), kSecondInstanceCaption,
                 KWMessageBoxFlags::kIconStop);
    Post(CamMessages::WM_CLOSE, 0, 0);
}

void CCamFinder::MergeCamera(const CameraRecord& record, MatchBy match) {
    const bool listed =
        std::any_of(m_cameras.begin(), m_cameras.end(), [&](const CameraRecord& camera) {
            const bool sameMac = Same(camera.mac, record.mac);
            const bool sameAddress = Same(camera.address, record.address);
            return match == MatchBy::MacAndAddress ? sameMac && sameAddress
                                                   : sameMac || sameAddress;
        });
    if (listed)
        return;
    m_cameras.push_back(record);
    m_view.ShowCameras(m_cameras);
}

void CCamFinder::ShowTotal() {
    m_view.SetTotalText(kTotalPrefix + std::to_string(m_cameras.size()));
}
