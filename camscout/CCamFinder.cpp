#include "CCamFinder.h"

#include "CCamCommand.h"
#include "CamMessages.h"
#include "KWMailbox.h"
#include "KWMessageBox.h"
#include "KWTick.h"

#include <algorithm>
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

// "IPCAM IP[address], MAC[mac] " followed by the action; built by concatenation so that
// characters such as '%' in the camera's texts stay as they are.
std::string LogPrefix(const CameraRecord& record) {
    return std::string("IPCAM IP[") + record.address + "], MAC[" + record.mac + "] ";
}

bool Same(const char* a, const char* b) {
    return std::strcmp(a, b) == 0;
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
    if (id != kSearchTimerId)
        return;
    m_view.KillTimer(kSearchTimerId);
    m_view.EnableSearch(true);
    m_view.EnableSettingAll(true);
    SendBroadcast(CCamCommand::Query());
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
    SendBroadcast(
        CCamCommand::UpdateIp(target.mac, address, netMask, gateway, user, Scramble(password)));
}

void CCamFinder::SendUpdateMac(const CameraRecord& target, const char* newMac, const char* user,
                               const char* password) {
    SendBroadcast(CCamCommand::UpdateMac(target.mac, newMac, user, Scramble(password)));
}

void CCamFinder::SendUpdateName(const CameraRecord& target, const char* newName, const char* user,
                                const char* password) {
    SendBroadcast(CCamCommand::UpdateName(target.mac, newName, user, Scramble(password)));
}

void CCamFinder::SendUpdatePort(const CameraRecord& target, int port, const char* user,
                                const char* password) {
    SendBroadcast(CCamCommand::UpdatePort(target.mac, port, user, Scramble(password)));
}

void CCamFinder::SendSetDefault(const CameraRecord& target, const char* user,
                                const char* password) {
    SendBroadcast(CCamCommand::SetDefault(target.mac, user, Scramble(password)));
}

void CCamFinder::SendAndPause(const std::string& command) {
    SendBroadcast(command);
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
                                               batchUser, Scramble(batchPassword)));
        if (!Same(was.name, now.name))
            SendAndPause(
                CCamCommand::UpdateName(was.mac, now.name, batchUser, Scramble(batchPassword)));
        if (was.port != now.port)
            SendAndPause(
                CCamCommand::UpdatePort(was.mac, now.port, batchUser, Scramble(batchPassword)));
        // New MACs differ only when the user unlocked MAC changes and confirmed the list that
        // showed them, so they are sent like the other changes.
        if (!Same(was.mac, now.mac))
            SendAndPause(
                CCamCommand::UpdateMac(was.mac, now.mac, batchUser, Scramble(batchPassword)));
    }
    m_view.ShowWaitCursor(false);
}

KWResult CCamFinder::OnMessage(std::uint32_t message, KWWParam wParam, KWLParam) {
    using namespace CamMessages;
    if (message == WM_CLOSE) {
        m_view.Quit(kCloseExitCode);
        Close();
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
        StartSearch();
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
