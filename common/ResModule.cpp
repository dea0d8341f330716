#include "common/ResModule.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>

namespace ResModule {

namespace {

using Table = std::map<int, std::string_view>;

// Numbers 500, 508, 509 and 1000 are reserved and carry no text.
const Table& English() {
    static const Table t = {
        {501, "Would you like to view the generated report?"},
        {502, "The HTML document is ill-formed.%1Line: %2 Position: %3"},
        {503, "You should refresh the project first!"},
        {504, "Do you wish to cancel %1\nand all subsequent operations?"},
        {505, "Do you wish to cancel?"},
        {506, "Cancel the current operation first and then close the application."},
        {507, "This entry has already been added to Web Operations!"},
        {510, " * Repository was not loaded completely!!!"},
        {511, "Cannot open workspace."},
        {512, "No programs found for data structure extraction.\n"
              "The workspace may have been reverified.\n"
              "Please refresh the project!"},
        {513, "Are you sure you want to refresh your session from repository?\n"
              "This operation will erase all changes you've made to this workspace\n"
              "and will close all currently opened Quarvel Analyzer windows."},
        {1001, "OK"},
        {1002, "Cancel"},
        {1003, "Client Information"},
        {1004, "&Client"},
        {1005, "&Application"},
        {1006, "Quarvel Analyzer"},
        {1007, "Refresh Workspace"},
    };
    return t;
}

const Table& Japanese() {
    static const Table t = {
        {501, "生成したレポートを表示しますか?"},
        {502, "HTML ドキュメントの形式が正しくありません。%1行: %2 位置: %3"},
        {503, "先にプロジェクトを更新してください。"},
        {504, "%1 をキャンセルしますか?\n以降の操作もすべてキャンセルされます。"},
        {505, "キャンセルしますか?"},
        {506, "実行中の操作をキャンセルしてからアプリケーションを閉じてください。"},
        {507, "この項目は既に Web 操作に追加されています。"},
        {510, " * リポジトリは完全には読み込まれていません!!!"},
        {511, "ワークスペースを開けません。"},
        {512, "データ構造を抽出するプログラムが見つかりません。\n"
              "ワークスペースが再検証された可能性があります。\n"
              "プロジェクトを更新してください。"},
        {513, "リポジトリからセッションを更新しますか?\n"
              "このワークスペースに加えた変更はすべて消去され、\n"
              "開いている Quarvel Analyzer のウィンドウはすべて閉じられます。"},
        {1001, "OK"},
        {1002, "キャンセル"},
        {1003, "クライアント情報"},
        {1004, "クライアント(&C)"},
        {1005, "アプリケーション(&A)"},
        {1006, "Quarvel Analyzer"},
        {1007, "ワークスペースの更新"},
    };
    return t;
}

const Table& Korean() {
    static const Table t = {
        {501, "생성된 보고서를 보시겠습니까?"},
        {502, "HTML 문서의 형식이 올바르지 않습니다.%1줄: %2 위치: %3"},
        {503, "먼저 프로젝트를 새로 고쳐야 합니다!"},
        {504, "%1 작업을 취소하시겠습니까?\n이후의 모든 작업도 취소됩니다."},
        {505, "취소하시겠습니까?"},
        {506, "현재 작업을 먼저 취소한 다음 응용 프로그램을 닫으십시오."},
        {507, "이 항목은 이미 웹 작업에 추가되어 있습니다!"},
        {510, " * 리포지토리를 완전히 불러오지 못했습니다!!!"},
        {511, "작업 영역을 열 수 없습니다."},
        {512, "데이터 구조를 추출할 프로그램이 없습니다.\n"
              "작업 영역이 다시 검증되었을 수 있습니다.\n"
              "프로젝트를 새로 고치십시오!"},
        {513, "리포지토리에서 세션을 새로 고치시겠습니까?\n"
              "이 작업 영역에서 변경한 내용이 모두 지워지고\n"
              "열려 있는 Quarvel Analyzer 창이 모두 닫힙니다."},
        {1001, "확인"},
        {1002, "취소"},
        {1003, "클라이언트 정보"},
        {1004, "클라이언트(&C)"},
        {1005, "응용 프로그램(&A)"},
        {1006, "Quarvel Analyzer"},
        {1007, "작업 영역 새로 고침"},
    };
    return t;
}

const Table& TableOf(Language language) {
    switch (language) {
    case Language::Japanese: return Japanese();
    case Language::Korean: return Korean();
    default: return English();
    }
}

std::mutex g_mutex;
std::optional<Language> g_language;
std::array<std::string, 32> g_controlChars;

}  // namespace

std::string LoadResString(int id, Language language) {
    const Table& t = TableOf(language);
    if (auto it = t.find(id); it != t.end()) return std::string(it->second);
    const Table& e = English();
    if (auto it = e.find(id); it != e.end()) return std::string(it->second);
    return {};
}

std::string LoadResString(int id) { return LoadResString(id, CurrentLanguage()); }

Language CurrentLanguage() {
    std::lock_guard lock(g_mutex);
    if (!g_language) g_language = SystemLanguage();
    return *g_language;
}

void SetLanguage(Language language) {
    std::lock_guard lock(g_mutex);
    g_language = language;
}

Language LanguageFromLocale(std::string_view name) {
    // The language is the part before "_", "." or "@" ("ja_JP.UTF-8", "ko").
    std::string_view lang = name.substr(0, name.find_first_of("_.@-"));
    auto is = [&](std::string_view code) {
        if (lang.size() != code.size()) return false;
        for (size_t i = 0; i < lang.size(); ++i)
            if ((lang[i] | 0x20) != code[i]) return false;
        return true;
    };
    if (is("ja")) return Language::Japanese;
    if (is("ko")) return Language::Korean;
    return Language::English;
}

Language SystemLanguage() {
    for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* v = std::getenv(var);
        if (v && *v) return LanguageFromLocale(v);
    }
    return Language::English;
}

int LanguageId(Language language) {
    switch (language) {
    case Language::Japanese: return 1041;
    case Language::Korean: return 1042;
    default: return 1033;
    }
}

void InitControlCharEntities() {
    std::lock_guard lock(g_mutex);
    for (int i = 0; i < 32; ++i) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "&#00%02d;", i);
        g_controlChars[i] = buf;
    }
}

const std::array<std::string, 32>& ControlCharEntities() { return g_controlChars; }

}  // namespace ResModule
