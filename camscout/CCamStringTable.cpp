#include "CCamStringTable.h"

#include <iterator>

namespace {
struct Entry {
    CamText text;
    const char* key;
    const char* english;
};

// In the order of CamText; a static_assert below keeps the two in step.
constexpr Entry kEntries[] = {
    {CamText::AboutMenu, "101", "About Camscout(&A)..."},
    {CamText::ColumnName, "102", "Name"},
    {CamText::ColumnMac, "103", "MAC"},
    {CamText::ColumnIp, "104", "IP"},
    {CamText::ColumnNetMask, "105", "NetMask"},
    {CamText::ColumnGateway, "106", "GateWay"},
    {CamText::Search, "107", "Search(&S)"},
    {CamText::ConfigIe, "108", "Config IE(&C)"},
    {CamText::SettingAll, "109", "Setting All(&A)"},
    {CamText::Apply, "110", "Apply(&P)"},
    {CamText::UpdateOnly, "111", "Updata Only"},
    {CamText::UpdateIp, "112", "UpdataIP(&I)"},
    {CamText::UpdateMac, "113", "UpdataMac(&M)"},
    {CamText::UpdateName, "114", "UpdataName(&N)"},
    {CamText::UpdatePort, "115", "UpdataPort(&P)"},
    {CamText::Default, "116", "Default(&D)"},
    {CamText::ThreadFailed, "117", "Create search thread failed"},
    {CamText::NoChange, "118", "No change"},
    {CamText::MacBoxTip, "119", "whether updata MAC address?"},
    {CamText::LanguageEnglish, "120", "EngLish"},
    {CamText::LanguageSimplified, "121", "简体中文"},
    {CamText::LanguageTraditional, "122", "繁体中文"},
    {CamText::Total, "141", "Total:"},
    {CamText::ConfigIeSuccess, "143", "Config IE success"},
    {CamText::InputPassword, "144", "Please input password!"},
    {CamText::PasswordWrong, "145", "Password isn't correct"},
    {CamText::Notification, "146", "NOTIFICATION"},
    {CamText::SelectItemFirst, "147", "Please select a item first"},
    {CamText::SecondInstance, "148", "You can't run two instances at one time !!!"},
    {CamText::PortRange, "149", "Port should be from 1 to 65535 "},
    {CamText::UpdateHttpPortCaption, "151", "Update Http Port"},
    {CamText::MacFormatError, "152", "Mac format error, should be XX-XX-XX-XX-XX-XX"},
    {CamText::UpdateMacCaption, "153", "Update Mac"},
    {CamText::MacNotNumber, "154", "Mac format error, some is not number !"},
    {CamText::NewNameEmpty, "155", "New name empty"},
    {CamText::UpdateNameCaption, "156", "Updata Name"},
    {CamText::UpdateIpCaption, "158", "Updata IP"},
    {CamText::Ok, "dialog.ok", "OK"},
    {CamText::Cancel, "dialog.cancel", "Cancel"},
    {CamText::AboutTitle, "100.title", "About Camscout"},
    {CamText::AboutProduct, "100.product", "CamScout - Halvern, camera finder"},
    {CamText::AboutPurpose, "100.purpose",
     "Finds the IP cameras of the local network and changes their network settings."},
    {CamText::LabelAddress, "dialog.1028", "IP Address"},
    {CamText::LabelUser, "dialog.1019", "User Name"},
    {CamText::LabelPassword, "dialog.1020", "Password"},
    {CamText::UpdateIpTitle, "129.title", "UpdateIP"},
    {CamText::OldAddress, "129.1013", "Old IP Address"},
    {CamText::OldNetMask, "129.1016", "Old Subnet Mask"},
    {CamText::OldGateway, "129.1017", "Old Gateway"},
    {CamText::NewAddress, "129.1014", "New IP Address"},
    {CamText::NewNetMask, "129.1018", "New Subnet Mask"},
    {CamText::NewGateway, "129.1015", "New Gateway"},
    {CamText::UpdateMacTitle, "130.title", "UpdateMac"},
    {CamText::OldMac, "130.1023", "Old MAC"},
    {CamText::NewMac, "130.1024", "New MAC"},
    {CamText::UpdateNameTitle, "131.title", "UpdateName"},
    {CamText::OldName, "131.1030", "Old Name"},
    {CamText::NewName, "131.1031", "New Name"},
    {CamText::UpdatePortTitle, "132.title", "Update Http Port"},
    {CamText::OldPort, "132.1035", "Old Port"},
    {CamText::NewPort, "132.1036", "New Port"},
    {CamText::SetDefaultTitle, "134.title", "Set Default"},
    {CamText::SetDefaultNote, "134.note", "Restore the camera's default settings."},
    {CamText::SettingAllTitle, "136.title", "Setting All"},
    {CamText::OldData, "136.old", "Old Data"},
    {CamText::NewData, "136.new", "New Data"},
    {CamText::LabelNetMask, "136.mask", "Subnet Mask"},
    {CamText::LabelGateway, "136.gateway", "Gateway"},
    {CamText::LabelMac, "136.mac", "MAC"},
    {CamText::LabelPort, "136.port", "Port"},
    {CamText::LabelName, "136.name", "Name"},
    {CamText::MacBox, "136.1073", "Change MAC"},
    {CamText::NameCaption, "136.namecaption", "Update Name"},
    {CamText::ShowInfoTitle, "137.title", "Show Info"},
    {CamText::PasswordTitle, "139.title", "Input Password"},
    {CamText::PasswordPrompt, "139.prompt", "Access code for MAC changes:"},
    {CamText::NoAnswer, "log.noanswer", "no answer within %1 s"},
    {CamText::NoCameraFound, "log.nocamera", "No camera answered the search"},
};

static_assert(std::size(kEntries) == CCamStringTable::kCount, "one entry per text");

constexpr bool InOrder() {
    for (std::size_t i = 0; i < std::size(kEntries); ++i)
        if (static_cast<std::size_t>(kEntries[i].text) != i)
            return false;
    return true;
}
static_assert(InOrder(), "entries in the order of CamText");

const Entry& EntryOf(CamText text) {
    return kEntries[static_cast<std::size_t>(text)];
}
} // namespace

const char* CCamStringTable::Key(CamText text) {
    return EntryOf(text).key;
}

const char* CCamStringTable::English(CamText text) {
    return EntryOf(text).english;
}
