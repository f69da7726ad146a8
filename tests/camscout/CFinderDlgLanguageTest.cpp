#include "CCamLanguage.h"
#include "CFinderDlg.h"
#include "CKWDropDownList.h"
#include "CamTestSupport.h"
#include "KWMessageBoxRecorder.h"
#include "KWTempDir.h"

#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

namespace {
template <typename Control> Control* Find(QWidget& window, int id) {
    return window.findChild<Control*>(QString::number(id));
}

QString ButtonText(QWidget& window, int id) {
    auto* button = Find<QPushButton>(window, id);
    return button ? button->text() : QString("<missing>");
}

// Sets the default locale (what the finder reads as the system's) for its lifetime.
class LocaleScope {
public:
    explicit LocaleScope(const QLocale& locale) { QLocale::setDefault(locale); }
    ~LocaleScope() { QLocale::setDefault(m_previous); }

private:
    QLocale m_previous = QLocale();
};

CamEndpoints Endpoints() {
    return LoopbackEndpoints(FreeUdpPort(), FreeUdpPort());
}

// Chooses an entry of the language list and presses Apply.
void ApplyEntry(CFinderDlg& window, int entry) {
    auto* languages = Find<CKWDropDownList>(window, CFinderDlg::kIdLanguage);
    emit languages->droppedDown();
    languages->setCurrentIndex(entry);
    window.Command(CFinderDlg::kIdApply);
}
} // namespace

TEST(CCamLanguage, StartupChoiceFollowsTheLocaleId) {
    EXPECT_EQ(CCamLanguage::StartupState(0x0404), CCamLanguage::kTraditional);
    EXPECT_EQ(CCamLanguage::StartupState(0x0804), CCamLanguage::kSimplified);
    // Hong Kong, Singapore and Macau fall outside both ranges.
    EXPECT_EQ(CCamLanguage::StartupState(0x0C04), CCamLanguage::kEnglish);
    EXPECT_EQ(CCamLanguage::StartupState(0x1004), CCamLanguage::kEnglish);
    EXPECT_EQ(CCamLanguage::StartupState(0x0409), CCamLanguage::kEnglish);
    EXPECT_EQ(CCamLanguage::StartupState(0x0809), CCamLanguage::kEnglish);

    EXPECT_EQ(CCamLanguage::LocaleIdOf(QLocale("zh_TW")), 0x0404u);
    EXPECT_EQ(CCamLanguage::LocaleIdOf(QLocale("zh_CN")), 0x0804u);
    EXPECT_EQ(CCamLanguage::LocaleIdOf(QLocale("zh_HK")), 0x0C04u);
    EXPECT_EQ(CCamLanguage::StartupState(CCamLanguage::LocaleIdOf(QLocale("de_DE"))),
              CCamLanguage::kEnglish);
}

TEST(CCamLanguage, CataloguesTranslateEveryTextAndMatchTheTable) {
    for (const char* module : {CCamLanguage::kSimplifiedModule, CCamLanguage::kTraditionalModule}) {
        // The translation sources carry exactly the table's ids with its English texts.
        const QString source = QString(QV_SOURCE_DIR "/camscout/lang/") + module;
        QFile file(source.left(source.size() - 2) + "ts");
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << module;
        QXmlStreamReader xml(&file);
        std::map<std::string, std::string> sources;
        std::string id;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == u"message")
                id = xml.attributes().value("id").toString().toStdString();
            else if (xml.isStartElement() && xml.name() == u"source")
                sources[id] = xml.readElementText().toStdString();
        }
        ASSERT_FALSE(xml.hasError()) << module;
        EXPECT_EQ(sources.size(), CCamStringTable::kCount) << module;
        for (std::size_t i = 0; i < CCamStringTable::kCount; ++i) {
            const auto text = static_cast<CamText>(i);
            EXPECT_EQ(sources[CCamStringTable::Key(text)], CCamStringTable::English(text))
                << module << " " << CCamStringTable::Key(text);
        }
    }

    CurrentDirectory programs(ProgramDirectory());
    CCamLanguage language;
    ASSERT_TRUE(language.Load(CCamLanguage::kSimplified));
    ASSERT_TRUE(language.Load(CCamLanguage::kTraditional));
    for (std::size_t i = 0; i < CCamStringTable::kCount; ++i) {
        const auto text = static_cast<CamText>(i);
        language.Use(CCamLanguage::kSimplified);
        EXPECT_FALSE(language.Text(text).isEmpty());
        language.Use(CCamLanguage::kTraditional);
        EXPECT_FALSE(language.Text(text).isEmpty());
    }
    language.Use(CCamLanguage::kSimplified);
    EXPECT_EQ(language.Text(CamText::Search), "搜索(&S)");
    language.Use(CCamLanguage::kTraditional);
    EXPECT_EQ(language.Text(CamText::Search), "搜尋(&S)");
    language.Use(CCamLanguage::kEnglish);
    EXPECT_EQ(language.Text(CamText::Search), "Search(&S)");
}

TEST(CFinderDlgLanguage, SwitchingRefreshesAllTextsButDefaultAndEmptiesTheTotal) {
    CurrentDirectory programs(ProgramDirectory());
    KWMessageBoxRecorder boxes;
    LocaleScope english(QLocale("en_US"));
    CFinderDlg window(Endpoints());
    EXPECT_EQ(window.windowTitle(), "CamScout - Halvern");
    auto* total = Find<QLabel>(window, CFinderDlg::kIdTotal);
    auto* list = Find<QTreeWidget>(window, CFinderDlg::kIdCameraList);
    auto* group = Find<QGroupBox>(window, CFinderDlg::kIdUpdateGroup);
    auto* languages = Find<CKWDropDownList>(window, CFinderDlg::kIdLanguage);
    ASSERT_TRUE(total && list && group && languages);
    EXPECT_EQ(languages->currentIndex(), 0);
    EXPECT_EQ(languages->itemText(2), "繁体中文");

    window.SetTotalText("Total: 2");
    ApplyEntry(window, 1);
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(ButtonText(window, CFinderDlg::kIdSearch), "搜索(&S)");
    EXPECT_EQ(ButtonText(window, CFinderDlg::kIdUpdatePort), "更新端口(&P)");
    EXPECT_EQ(ButtonText(window, CFinderDlg::kIdApply), "应用(&P)");
    EXPECT_EQ(ButtonText(window, CFinderDlg::kIdDefault), "Default(&D)");
    EXPECT_EQ(list->headerItem()->text(0), "名称");
    EXPECT_EQ(group->title(), "单个更新");
    EXPECT_EQ(total->text(), "总数:");
    EXPECT_EQ(languages->currentIndex(), 1);
    EXPECT_EQ(languages->itemText(0), "English");

    ApplyEntry(window, 2);
    EXPECT_EQ(ButtonText(window, CFinderDlg::kIdSettingAll), "批次設定(&A)");
    EXPECT_EQ(languages->itemText(2), "繁體中文");

    window.SetTotalText("Total: 2");
    ApplyEntry(window, 0);
    EXPECT_EQ(ButtonText(window, CFinderDlg::kIdSearch), "Search(&S)");
    EXPECT_EQ(list->headerItem()->text(4), "GateWay");
    EXPECT_EQ(total->text(), "Total:");
    EXPECT_EQ(ButtonText(window, CFinderDlg::kIdDefault), "Default(&D)");
    EXPECT_EQ(languages->currentIndex(), 0);
}

// The window's own log lines speak the chosen language; the protocol's words stay as they are.
TEST(CFinderDlgLanguage, TheWindowsOwnLogLinesAreTranslated) {
    CurrentDirectory programs(ProgramDirectory());
    LocaleScope english(QLocale("en_US"));
    CFinderDlg window(Endpoints());
    auto* log = Find<QListWidget>(window, CFinderDlg::kIdLog);
    ASSERT_TRUE(log);
    const CameraRecord camera = TestCamera("cam", "00-11-22-33-44-55", "255.0.0.0");
    const std::pair<int, const char*> languages[] = {{0, "update name no answer within 5 s"},
                                                     {1, "update name 5 秒内无应答"},
                                                     {2, "update name 5 秒內無回應"}};
    for (const auto& [entry, text] : languages) {
        ApplyEntry(window, entry);
        window.Finder().SendUpdateName(camera, "new", "admin", "");
        window.Finder().OnTimer(CCamFinder::kAnswerTimerId);
        const QString line = log->item(log->count() - 1)->text();
        EXPECT_TRUE(line.contains(QString("MAC[00-11-22-33-44-55] ") + QString::fromUtf8(text)))
            << line.toStdString();
    }
    window.Finder().StartSearch();
    window.Finder().OnTimer(CCamFinder::kSearchTimerId);
    window.Finder().OnTimer(CCamFinder::kSearchEndTimerId);
    EXPECT_TRUE(
        log->item(log->count() - 1)->text().contains(QString::fromUtf8("沒有攝影機回應搜尋")));
}

TEST(CFinderDlgLanguage, MissingCatalogueIsReportedAndEnglishStays) {
    KWTempDir empty;
    CurrentDirectory nowhere(QString::fromStdString(empty.Path().string()));
    KWMessageBoxRecorder boxes;
    LocaleScope english(QLocale("en_US"));
    CFinderDlg window(Endpoints());
    auto* languages = Find<CKWDropDownList>(window, CFinderDlg::kIdLanguage);

    ApplyEntry(window, 2);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].request.text, "LangCHT.qm 不存在");
    EXPECT_EQ(boxes.Boxes()[0].request.flags, KWMessageBoxFlags::kOk);
    EXPECT_EQ(languages->currentIndex(), 0) << "back to the entry at drop-down";
    EXPECT_EQ(ButtonText(window, CFinderDlg::kIdSearch), "Search(&S)");

    ApplyEntry(window, 1);
    ASSERT_EQ(boxes.Count(), 2u);
    EXPECT_EQ(boxes.Boxes()[1].request.text, "LangCHS.qm 不存在");
}

TEST(CFinderDlgLanguage, StartsInTheSystemsChineseWhenItsCatalogueIsThere) {
    KWMessageBoxRecorder boxes;
    {
        LocaleScope traditional(QLocale("zh_TW"));
        CurrentDirectory programs(ProgramDirectory());
        CFinderDlg window(Endpoints());
        EXPECT_EQ(Find<CKWDropDownList>(window, CFinderDlg::kIdLanguage)->currentIndex(), 2);
        EXPECT_EQ(ButtonText(window, CFinderDlg::kIdSearch), "搜尋(&S)");
        EXPECT_EQ(window.Text(CamText::SelectItemFirst), "請先選擇一項");
    }
    {
        LocaleScope simplified(QLocale("zh_CN"));
        CurrentDirectory programs(ProgramDirectory());
        CFinderDlg window(Endpoints());
        EXPECT_EQ(Find<CKWDropDownList>(window, CFinderDlg::kIdLanguage)->currentIndex(), 1);
        EXPECT_EQ(ButtonText(window, CFinderDlg::kIdSearch), "搜索(&S)");
    }
    EXPECT_EQ(boxes.Count(), 0u);

    KWTempDir empty;
    CurrentDirectory nowhere(QString::fromStdString(empty.Path().string()));
    for (const auto& [locale, message] :
         {std::pair{"zh_TW", "LangCHT.qm 不存在"}, std::pair{"zh_CN", "LangCHS.qm不存在"}}) {
        LocaleScope chinese{QLocale(locale)};
        CFinderDlg window(Endpoints());
        ASSERT_FALSE(boxes.Boxes().empty());
        EXPECT_EQ(boxes.Boxes().back().request.text, message);
        EXPECT_EQ(Find<CKWDropDownList>(window, CFinderDlg::kIdLanguage)->currentIndex(), 0);
        EXPECT_EQ(ButtonText(window, CFinderDlg::kIdSearch), "Search(&S)");
    }
}
