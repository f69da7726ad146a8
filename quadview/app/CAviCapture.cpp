#include "CAviCapture.h"

#include "CAviCompressionDlg.h"
#include "CConfigFileManager.h"
#include "CKWImageBuffer.h"
#include "CQXScreenManager4.h"
#include "CQXStorageDeviceManager.h"
#include "KWAviWriter.h"
#include "KWEvent.h"
#include "KWFileDialog.h"
#include "KWMailbox.h"
#include "KWMessageBox.h"
#include "KWTick.h"
#include "QXPlayMode.h"

#include <QWidget>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const char* const kCaption = "Capture AVI";
const char* const kCanceledText = "Capture AVI Was Canceled";
const char* const kCreatedText = "An AVI File was created: ";
const char* const kNoPictureText =
    "HBITMAP IS NULL\r\n\r\nThe picture of the view could not be written to or read from the "
    "MYS directory; the AVI file misses these frames. Check that the MYS directory in the "
    "settings exists and can be written to.";
const char* const kNotCreatedText = "The AVI file could not be created:\r\n";
const char* const kNotCreatedAdvice =
    "\r\n\r\nChoose a folder where you may write and that has free space, then start the AVI "
    "capture again.";
const char* const kIncompleteText = "The AVI file is incomplete: ";
const char* const kIncompleteAdvice =
    "\r\n\r\nFree some space on the disk or choose another folder, then capture again.";
const char* const kSaveCaption = "Save As";
const char* const kSaveName = "Capture.avi";
const char* const kSaveFilter = "AVI Files (*.avi)";
const char* const kSaveSuffix = "avi";
constexpr mode_t kNewDirectoryMode = 0777;
constexpr mode_t kNewFileMode = 0666;
} // namespace

CAviCapture::CAviCapture(QWidget& owner, CQXScreenManager4& screen,
                         CQXStorageDeviceManager& devices, CConfigFileManager& config)
    : m_owner(owner), m_screen(screen), m_devices(devices), m_config(config) {}

CAviCapture::~CAviCapture() {
    Stop();
}

void CAviCapture::Toggle() {
    if (m_running) {
        m_running = false;
        return;
    }
    Start();
}

void CAviCapture::Stop() {
    m_running = false;
    WaitForThread();
}

// The thread of the capture before, ended but maybe still finishing its file, goes first.
void CAviCapture::WaitForThread() {
    if (!m_thread.joinable())
        return;
    KWWaitDeliveringSends(KWEvent::kInfinite, [this] { return m_threadDone.load(); });
    m_thread.join();
}

void CAviCapture::Start() {
    WaitForThread();
    m_running = true;
    // The MYS directory, made (one level) and current; failures show up as missing pictures.
    const std::string directory = m_config.GetEntry(CConfigFileManager::kMysDirectory)->text;
    static_cast<void>(mkdir(directory.c_str(), kNewDirectoryMode));
    static_cast<void>(chdir(directory.c_str()));
    const std::string picturePath = (std::filesystem::path(directory) / kPictureName).string();
    CKWImageBuffer picture;
    const bool taken = TakePicture(picturePath, picture);

    KWFileDialogRequest request;
    request.kind = KWFileDialogKind::Save;
    request.caption = kSaveCaption;
    request.start = kSaveName;
    request.filter = kSaveFilter;
    request.defaultSuffix = kSaveSuffix;
    const std::string aviPath = KWShowFileDialog(&m_owner, request).toStdString();
    if (aviPath.empty()) {
        m_running = false;
        KWMessageBox(kCanceledText, kCaption, KWMessageBoxFlags::kOk);
        return;
    }
    std::error_code ignored;
    std::filesystem::remove(aviPath, ignored);
    KWAviWriterState* state = CreateAvi(aviPath, kFramePeriodMs, nullptr);
    if (state == nullptr) {
        m_running = false;
        KWMessageBox(kNotCreatedText + aviPath + kNotCreatedAdvice, kCaption,
                     KWMessageBoxFlags::kOk | KWMessageBoxFlags::kIconExclamation);
        return;
    }
    QWidget* owner = &m_owner;
    // Without a picture the compression stays unset and the first frame makes full frames.
    static_cast<void>(SetVideoCompression(state, taken ? &picture : nullptr, &m_options,
                                          [owner](KWAviCompressOptions& options) {
                                              return CAviCompressionDlg::Choose(owner, options);
                                          }));
    m_threadDone = false;
    m_thread = std::thread(&CAviCapture::Capture, this, state, aviPath, picturePath);
}

bool CAviCapture::TakePicture(const std::string& path, CKWImageBuffer& picture) {
    const int out = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, kNewFileMode);
    if (out < 0 || !m_screen.CaptureFrameToFile(out))
        return false;
    const int in = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    const int loaded = picture.ReadBmp(in);
    close(in);
    return loaded != 0;
}

void CAviCapture::Capture(KWAviWriterState* state, const std::string& aviPath,
                          const std::string& picturePath) {
    m_devices.SetPlayMode(QXPlayMode::kPlay, QXPlayMode::kNoTarget);
    // A picture that cannot be taken is told once: a box for every frame would leave no moment
    // to end the capture.
    bool toldNoPicture = false;
    using Clock = std::chrono::steady_clock;
    const auto period = std::chrono::milliseconds(kFramePeriodMs);
    const Clock::time_point start = Clock::now();
    std::int64_t added = 0;
    for (;;) {
        CKWImageBuffer picture;
        const bool taken = TakePicture(picturePath, picture);
        if (!taken && !toldNoPicture) {
            toldNoPicture = true;
            KWMessageBox(kNoPictureText, kCaption,
                         KWMessageBoxFlags::kOk | KWMessageBoxFlags::kIconInformation);
        }
        // Every frame period of the capture gets one frame, so the file plays as long as the
        // capture ran: a picture that took longer than a period also fills the periods it
        // missed.
        const std::int64_t due = (Clock::now() - start) / period + 1;
        do {
            static_cast<void>(AddAviFrame(state, taken ? &picture : nullptr));
        } while (++added < due);
        while (m_running && Clock::now() < start + added * period)
            KWSleep(kStopPollMs);
        if (!m_running)
            break;
    }
    std::string reason;
    const bool complete = CloseAvi(state, &reason) == AVIERR_OK;
    if (complete)
        KWMessageBox(kCreatedText + aviPath, kCaption, KWMessageBoxFlags::kOk);
    else
        KWMessageBox(kIncompleteText + aviPath + "\r\n(" + reason + ")" + kIncompleteAdvice,
                     kCaption, KWMessageBoxFlags::kOk | KWMessageBoxFlags::kIconExclamation);
    m_threadDone = true;
}
