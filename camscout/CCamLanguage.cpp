#include "CCamLanguage.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

namespace {
constexpr std::uint32_t kPrimaryChinese = 0x04;
constexpr std::uint32_t kNeutral = 0x0000;
constexpr std::uint32_t kPrimaryMask = 0xFF;
constexpr std::uint32_t kTraditionalRange = 1; // id >> 10
constexpr std::uint32_t kSimplifiedLow = 0x0800;
constexpr std::uint32_t kSimplifiedHigh = 0x0BFF;
constexpr int kSubLanguageShift = 10;

constexpr std::uint32_t kTaiwan = 0x0404;
constexpr std::uint32_t kChina = 0x0804;
constexpr std::uint32_t kHongKong = 0x0C04;
constexpr std::uint32_t kSingapore = 0x1004;
constexpr std::uint32_t kMacau = 0x1404;
} // namespace

std::uint32_t CCamLanguage::LocaleIdOf(const QLocale& locale) {
    if (locale.language() != QLocale::Chinese)
        return kNeutral;
    switch (locale.territory()) {
    case QLocale::Taiwan:
        return kTaiwan;
    case QLocale::HongKong:
        return kHongKong;
    case QLocale::Singapore:
        return kSingapore;
    case QLocale::Macao:
        return kMacau;
    case QLocale::China:
        return kChina;
    default:
        // Without a territory the script decides.
        return locale.script() == QLocale::TraditionalChineseScript ? kTaiwan : kChina;
    }
}

CCamLanguage::State CCamLanguage::StartupState(std::uint32_t localeId) {
    if ((localeId & kPrimaryMask) != kPrimaryChinese)
        return kEnglish;
    if ((localeId >> kSubLanguageShift) == kTraditionalRange)
        return kTraditional;
    if (localeId >= kSimplifiedLow && localeId <= kSimplifiedHigh)
        return kSimplified;
    return kEnglish;
}

const char* CCamLanguage::ModuleOf(State state) {
    return state == kTraditional ? kTraditionalModule : kSimplifiedModule;
}

CCamLanguage::Catalogue* CCamLanguage::CatalogueOf(State state) {
    switch (state) {
    case kSimplified:
        return &m_simplified;
    case kTraditional:
        return &m_traditional;
    default:
        return nullptr;
    }
}

bool CCamLanguage::Load(State state) {
    Catalogue* catalogue = CatalogueOf(state);
    if (!catalogue || catalogue->loaded)
        return true;
    const QString path = QDir::current().filePath(ModuleOf(state));
    catalogue->loaded = QFileInfo::exists(path) && catalogue->translator.load(path);
    return catalogue->loaded;
}

void CCamLanguage::Use(State state) {
    const Catalogue* catalogue = CatalogueOf(state);
    m_source = catalogue && catalogue->loaded ? state : kEnglish;
}

QString CCamLanguage::Text(CamText text) const {
    if (m_source != kEnglish) {
        const Catalogue& catalogue = m_source == kSimplified ? m_simplified : m_traditional;
        const QString translated = catalogue.translator.translate("", CCamStringTable::Key(text));
        if (!translated.isEmpty())
            return translated;
    }
    return QString::fromUtf8(CCamStringTable::English(text));
}
