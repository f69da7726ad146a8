#pragma once
#include <cstddef>

// Every text of the finder's user interface: the string table (numeric ids, the same ids the
// language catalogues carry) and the texts of the dialog templates (ids "template.item").
// The English texts are the program's own; a catalogue translates each id.
enum class CamText : int {
    AboutMenu,             // 101
    ColumnName,            // 102
    ColumnMac,             // 103
    ColumnIp,              // 104
    ColumnNetMask,         // 105
    ColumnGateway,         // 106
    Search,                // 107
    ConfigIe,              // 108
    SettingAll,            // 109
    Apply,                 // 110
    UpdateOnly,            // 111
    UpdateIp,              // 112
    UpdateMac,             // 113
    UpdateName,            // 114
    UpdatePort,            // 115
    Default,               // 116
    ThreadFailed,          // 117
    NoChange,              // 118
    MacBoxTip,             // 119
    LanguageEnglish,       // 120
    LanguageSimplified,    // 121
    LanguageTraditional,   // 122
    Total,                 // 141
    ConfigIeSuccess,       // 143
    InputPassword,         // 144
    PasswordWrong,         // 145
    Notification,          // 146
    SelectItemFirst,       // 147
    SecondInstance,        // 148
    PortRange,             // 149
    UpdateHttpPortCaption, // 151
    MacFormatError,        // 152
    UpdateMacCaption,      // 153
    MacNotNumber,          // 154
    NewNameEmpty,          // 155
    UpdateNameCaption,     // 156
    UpdateIpCaption,       // 158
    // Dialog templates.
    Ok,
    Cancel,
    AboutTitle,
    AboutProduct,
    AboutPurpose,
    LabelAddress,
    LabelUser,
    LabelPassword,
    UpdateIpTitle,
    OldAddress,
    OldNetMask,
    OldGateway,
    NewAddress,
    NewNetMask,
    NewGateway,
    UpdateMacTitle,
    OldMac,
    NewMac,
    UpdateNameTitle,
    OldName,
    NewName,
    UpdatePortTitle,
    OldPort,
    NewPort,
    SetDefaultTitle,
    SetDefaultNote,
    SettingAllTitle,
    OldData,
    NewData,
    LabelNetMask,
    LabelGateway,
    LabelMac,
    LabelPort,
    LabelName,
    MacBox,
    NameCaption,
    ShowInfoTitle,
    PasswordTitle,
    PasswordPrompt,
    // Log lines of the window's own.
    NoAnswer,      // after the log prefix and the command, %1 the seconds waited
    NoCameraFound, // a search that ended without an answer
    Count
};

class CCamStringTable {
public:
    static constexpr std::size_t kCount = static_cast<std::size_t>(CamText::Count);

    // The id the catalogues know the text by: "107" for string 107, "129.1013" for control 1013
    // of template 129.
    static const char* Key(CamText text);
    // The program's own (English) text, UTF-8.
    static const char* English(CamText text);
};
