#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "common/ResModule.h"

using ResModule::Language;
using ResModule::LoadResString;

namespace {

// Sets or clears a locale variable for one test and puts it back afterwards.
class EnvVar {
public:
    EnvVar(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        if (value) setenv(name, value, 1); else unsetenv(name);
    }
    ~EnvVar() {
        if (m_old) setenv(m_name, m_old->c_str(), 1); else unsetenv(m_name);
    }
private:
    const char* m_name;
    std::optional<std::string> m_old;
};

}  // namespace

TEST(ResModule, EnglishTextsAreTheQuotedOnes) {
    const Language en = Language::English;
    EXPECT_EQ(LoadResString(501, en), "Would you like to view the generated report?");
    EXPECT_EQ(LoadResString(502, en), "The HTML document is ill-formed.%1Line: %2 Position: %3");
    EXPECT_EQ(LoadResString(503, en), "You should refresh the project first!");
    EXPECT_EQ(LoadResString(504, en), "Do you wish to cancel %1\nand all subsequent operations?");
    EXPECT_EQ(LoadResString(505, en), "Do you wish to cancel?");
    EXPECT_EQ(LoadResString(506, en), "Cancel the current operation first and then close the application.");
    EXPECT_EQ(LoadResString(507, en), "This entry has already been added to Web Operations!");
    EXPECT_EQ(LoadResString(510, en), " * Repository was not loaded completely!!!");
    EXPECT_EQ(LoadResString(511, en), "Cannot open workspace.");
    EXPECT_EQ(LoadResString(512, en),
              "No programs found for data structure extraction.\nThe workspace may have been reverified.\n"
              "Please refresh the project!");
    EXPECT_EQ(LoadResString(513, en),
              "Are you sure you want to refresh your session from repository?\n"
              "This operation will erase all changes you've made to this workspace\n"
              "and will close all currently opened Quarvel Analyzer windows.");
    EXPECT_EQ(LoadResString(1001, en), "OK");
    EXPECT_EQ(LoadResString(1002, en), "Cancel");
    EXPECT_EQ(LoadResString(1003, en), "Client Information");
    EXPECT_EQ(LoadResString(1004, en), "&Client");
    EXPECT_EQ(LoadResString(1005, en), "&Application");
    EXPECT_EQ(LoadResString(1006, en), "Quarvel Analyzer");
    EXPECT_EQ(LoadResString(1007, en), "Refresh Workspace");
    EXPECT_EQ(LoadResString(9999, en), "");
}

TEST(ResModule, TranslationsKeepPlaceholdersLineBreaksAndAccessKeys) {
    const int ids[] = {501, 502, 503, 504, 505, 506, 507, 510, 511, 512, 513, 1001, 1002, 1003, 1004, 1005, 1006, 1007};
    auto count = [](const std::string& s, std::string_view what) {
        size_t n = 0;
        for (size_t p = s.find(what); p != std::string::npos; p = s.find(what, p + 1)) ++n;
        return n;
    };
    for (Language lang : {Language::Japanese, Language::Korean}) {
        for (int id : ids) {
            std::string en = LoadResString(id, Language::English);
            std::string tr = LoadResString(id, lang);
            ASSERT_FALSE(tr.empty()) << id;
            for (std::string_view mark : {"%1", "%2", "%3", "\n", "&"})
                EXPECT_EQ(count(tr, mark), count(en, mark)) << id << " " << mark;
            EXPECT_EQ(tr.find('\r'), std::string::npos) << id;
        }
        EXPECT_NE(LoadResString(511, lang), LoadResString(511, Language::English));
        EXPECT_EQ(LoadResString(510, lang).substr(0, 3), " * ");
        EXPECT_EQ(LoadResString(1006, lang), "Quarvel Analyzer");
    }
}

TEST(ResModule, LanguageFollowsTheLocale) {
    EXPECT_EQ(ResModule::LanguageFromLocale("ja_JP.UTF-8"), Language::Japanese);
    EXPECT_EQ(ResModule::LanguageFromLocale("ja"), Language::Japanese);
    EXPECT_EQ(ResModule::LanguageFromLocale("ko_KR.eucKR"), Language::Korean);
    EXPECT_EQ(ResModule::LanguageFromLocale("de_DE.UTF-8"), Language::English);
    EXPECT_EQ(ResModule::LanguageFromLocale("C"), Language::English);
    EXPECT_EQ(ResModule::LanguageFromLocale("jav_ID"), Language::English);
    EXPECT_EQ(ResModule::LanguageFromLocale(""), Language::English);

    {
        EnvVar all("LC_ALL", "ko_KR.UTF-8"), msg("LC_MESSAGES", "ja_JP.UTF-8"), lang("LANG", "en_US.UTF-8");
        EXPECT_EQ(ResModule::SystemLanguage(), Language::Korean);   // LC_ALL wins
    }
    {
        EnvVar all("LC_ALL", ""), msg("LC_MESSAGES", "ja_JP.UTF-8"), lang("LANG", "en_US.UTF-8");
        EXPECT_EQ(ResModule::SystemLanguage(), Language::Japanese);  // empty values are skipped
    }
    {
        EnvVar all("LC_ALL", nullptr), msg("LC_MESSAGES", nullptr), lang("LANG", nullptr);
        EXPECT_EQ(ResModule::SystemLanguage(), Language::English);
    }

    Language before = ResModule::CurrentLanguage();
    ResModule::SetLanguage(Language::Japanese);
    EXPECT_EQ(LoadResString(1002), LoadResString(1002, Language::Japanese));
    ResModule::SetLanguage(before);
    EXPECT_EQ(ResModule::LanguageId(Language::Korean), 1042);
}

TEST(ResModule, ControlCharEntities) {
    ResModule::InitControlCharEntities();
    const auto& t = ResModule::ControlCharEntities();
    EXPECT_EQ(t[0], "&#0000;");
    EXPECT_EQ(t[9], "&#0009;");
    EXPECT_EQ(t[10], "&#0010;");
    EXPECT_EQ(t[31], "&#0031;");
}
