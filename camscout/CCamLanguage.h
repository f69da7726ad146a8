#pragma once
#include "CCamStringTable.h"

#include <QString>
#include <QTranslator>
#include <cstdint>
#include <string>

class QLocale;

// Where the finder's texts come from: its own English texts or one of the two language
// catalogues, LangCHS.qm (simplified Chinese) and LangCHT.qm (traditional Chinese), looked for
// in the current directory. A catalogue, once loaded, stays loaded; switching back to English
// only changes the source.
class CCamLanguage {
public:
    enum State { kEnglish = 1, kSimplified = 2, kTraditional = 3 };
    static constexpr const char* kSimplifiedModule = "LangCHS.qm";
    static constexpr const char* kTraditionalModule = "LangCHT.qm";

    // The system locale id of a locale: primary language in the low byte (Chinese is 4),
    // sub-language above it (0x0404 Taiwan, 0x0804 mainland China, 0x0C04 Hong Kong,
    // 0x1004 Singapore, 0x1404 Macau). Only Chinese matters to the finder; other languages give
    // the neutral id 0.
    static std::uint32_t LocaleIdOf(const QLocale& locale);
    // The start-up state for a locale id: traditional for 0x0400-0x07FF, simplified for
    // 0x0800-0x0BFF (both Chinese only), English otherwise.
    static State StartupState(std::uint32_t localeId);
    static const char* ModuleOf(State state);

    // Loads the catalogue of a Chinese state unless it is loaded already; false when its file is
    // not in the current directory or cannot be read. English needs no catalogue.
    bool Load(State state);
    // Makes the state's catalogue (or the program's own texts for English, or for a catalogue
    // that is not loaded) the source of all later texts.
    void Use(State state);
    // The state whose texts are shown.
    State Source() const { return m_source; }

    QString Text(CamText text) const;
    std::string Utf8(CamText text) const { return Text(text).toStdString(); }

private:
    struct Catalogue {
        QTranslator translator;
        bool loaded = false;
    };
    Catalogue* CatalogueOf(State state);

    Catalogue m_simplified;
    Catalogue m_traditional;
    State m_source = kEnglish;
};
