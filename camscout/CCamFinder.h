#pragma once
#include "CCamFinderView.h"
#include "CCamReceiver.h"
#include "CKWUdpSocket.h"
#include "CamEndpoints.h"
#include "CameraRecord.h"
#include "Credentials.h"
#include "KWMessageTarget.h"

#include <cstdint>
#include <string>
#include <vector>

// The camera finder without its widgets: the send socket, the receiver thread, the discovery
// sequence, the merged camera list, the configuration commands and the handling of every reply.
// It is the window's message target and lives on the window's thread; the receiver thread only
// posts to it.
class CCamFinder : public KWMessageTarget {
public:
    static constexpr std::uint32_t kSearchTimerId = 1000;
    static constexpr std::uint32_t kSecondBroadcastDelayMs = 3000;
    // The search counts as over this long after its second broadcast; without a camera by then
    // the log says that none answered.
    static constexpr std::uint32_t kSearchEndTimerId = 1001;
    static constexpr std::uint32_t kSearchEndDelayMs = 3000;
    // A command that no camera acknowledges within this time after the last command sent is
    // logged as unanswered.
    static constexpr std::uint32_t kAnswerTimerId = 1002;
    static constexpr std::uint32_t kAnswerWaitMs = 5000;
    static constexpr std::uint32_t kBatchPauseMs = 200;
    static constexpr int kCloseExitCode = 18;

    CCamFinder(CCamFinderView& view, CamEndpoints endpoints);
    ~CCamFinder() override;

    // Window initialisation: creates the send socket and starts the receiver thread. False (after
    // telling the user) when the thread cannot be created; the finder then has no receiver.
    bool Start();
    // The close sequence: quits the window's loop, stops the receiver, closes the sockets.
    // Later replies are dropped. Safe to call more than once.
    void Close();

    // Clears the list and broadcasts a discovery query; a second one follows after 3000 ms.
    void StartSearch();
    bool IsSearching() const { return m_searching; }
    void OnTimer(std::uint32_t id);

    bool SendBroadcast(const std::string& text);

    // Single-camera commands: the target is named by its MAC as listed; the password is
    // scrambled anew for each command.
    void SendUpdateIp(const CameraRecord& target, const char* address, const char* netMask,
                      const char* gateway, const char* user, const char* password);
    void SendUpdateMac(const CameraRecord& target, const char* newMac, const char* user,
                       const char* password);
    void SendUpdateName(const CameraRecord& target, const char* newName, const char* user,
                        const char* password);
    void SendUpdatePort(const CameraRecord& target, int port, const char* user,
                        const char* password);
    void SendSetDefault(const CameraRecord& target, const char* user, const char* password);

    // The batch: for each camera, in list order, the commands for what differs between its old
    // and new record, 200 ms apart, with the batch user name and password. Lists of different
    // sizes send nothing.
    void SendBatch(const std::vector<CameraRecord>& oldList,
                   const std::vector<CameraRecord>& newList, const char* user,
                   const char* password);

    const std::vector<CameraRecord>& Cameras() const { return m_cameras; }
    const Credentials& GetCredentials() const { return m_credentials; }
    bool IsReceiving() const { return m_receiver.IsRunning(); }

protected:
    KWResult OnMessage(std::uint32_t message, KWWParam wParam, KWLParam lParam) override;

private:
    // A configuration command waiting for its acknowledgement: the listed camera it went to, the
    // log's words for it, the reply that acknowledges it and the MAC that reply may carry besides
    // the target's (the new one of a MAC change).
    struct PendingCommand {
        CameraRecord target;
        const char* action;
        std::uint32_t reply;
        std::string newMac;
    };

    void OnReply(std::uint32_t message, const CameraRecord& record);
    void SendCommand(const std::string& command, const CameraRecord& target, const char* action,
                     std::uint32_t reply, const std::string& newMac = std::string());
    // Drops the command the reply acknowledges; false when it answers no pending command.
    bool Acknowledge(std::uint32_t message, const CameraRecord& record);
    // A new search after a name change shows the new name; only an acknowledgement of our own
    // command starts it, once per name command the user sent, so that a camera answering every
    // query with a name acknowledgement cannot keep the finder searching.
    void SearchAfterNameChange(bool acknowledged);
    void LogUnanswered();
    void EndSearch();
    void OnCameraFound(const CameraRecord& record);
    void OnAcknowledged(const char* action, const CameraRecord& record);
    void OnDefaultOrReset(const std::string& logText, const CameraRecord& record);
    void OnBindFailed();
    // Appends the camera (and shows the new list) unless a listed one matches it.
    enum class MatchBy { MacAndAddress, MacOrAddress };
    void MergeCamera(const CameraRecord& record, MatchBy match);
    void ShowTotal();
    const char* Scramble(const char* password);
    void SendAndPause(const std::string& command, const CameraRecord& target, const char* action,
                      std::uint32_t reply, const std::string& newMac = std::string());

    CCamFinderView& m_view;
    const CamEndpoints m_endpoints;
    CKWUdpSocket m_sendSocket;
    CCamReceiver m_receiver;
    std::vector<CameraRecord> m_cameras;
    Credentials m_credentials;
    std::vector<PendingCommand> m_pending;
    bool m_searching = false;
    bool m_searchAfterNameChange = false;
    bool m_closed = false;
};
