#include "QXPlatformCheck.h"

#include "CKWSystemOsInfo.h"
#include "KWMessageBox.h"

#include <cstdio>

const char* const kBigLbaHelpAddress = "https://support.microsoft.com/kb/303013";

namespace {
namespace Box = KWMessageBoxFlags;

const char* const kPlatformCaption = "Platform Error";
const char* const kBigLbaCaption = "48 Bit Addressing Error";
const char* const kUnsupportedText =
    "This application cannot run on\r\n%s\r\nCannot proceed."
    "\r\n\r\nPlease try on \r\nWindows 2000/XP/2003 or later version of Windows OS."
    "\r\n\r\n[NOTE]\r\nIn case of Windows 2000,"
    "\r\nthe system should be updated with Service Pack 2 or later.";
const char* const kServicePackText = "This application cannot run on\r\n"
                                     "Windows 2000 Service Pack %s"
                                     "\r\n\r\nPlease update the system with"
                                     "\r\nthe latest Windows 2000 Service Pack"
                                     "\r\nand try again.";
const char* const kBigLbaText = "This machine is not supporting 48 Bit Addressing"
                                "\r\n\r\nTo resolve this issue,"
                                "\r\nrefer to following web site,"
                                "\r\nchange your system configuration, and try again."
                                "\r\n\r\n%s";
// Windows 2000 needs this service pack or a later one.
constexpr int kLowestWindows2000ServicePack = 2;

std::string Format(const char* format, const std::string& value) {
    const int length = std::snprintf(nullptr, 0, format, value.c_str());
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), format, value.c_str());
    text.resize(static_cast<std::size_t>(length));
    return text;
}

bool IsNtAfter52(CKWSystemOsInfo& info) {
    const std::uint32_t major = info.GetMajorVersion();
    return info.GetPlatform() == KWOsPlatform::kNt &&
           (major > 5 || (major == 5 && info.GetMinorVersion() > 2));
}
} // namespace

std::optional<QXPlatformRefusal> QXCheckPlatform(CKWSystemOsInfo& info) {
    const std::uint32_t type = info.GetOsType();
    const bool refused =
        (type >= CKWSystemOsInfo::kWindows31 && type <= CKWSystemOsInfo::kNtDomainController40) ||
        (type == CKWSystemOsInfo::kUnknown && !IsNtAfter52(info));
    if (refused)
        return QXPlatformRefusal{Format(kUnsupportedText, info.GetOsName()), kPlatformCaption,
                                 Box::kOk};
    const bool windows2000 = type >= CKWSystemOsInfo::kWindows2000Professional &&
                             type <= CKWSystemOsInfo::kWindows2000DomainController;
    if (!windows2000)
        return std::nullopt;
    if (info.GetServicePackMajor() < kLowestWindows2000ServicePack)
        return QXPlatformRefusal{
            Format(kServicePackText, std::to_string(info.GetServicePackMajor())), kPlatformCaption,
            Box::kOk};
    if (!info.IsBigLbaEnabled())
        return QXPlatformRefusal{Format(kBigLbaText, kBigLbaHelpAddress), kBigLbaCaption,
                                 Box::kYesNo};
    return std::nullopt;
}
