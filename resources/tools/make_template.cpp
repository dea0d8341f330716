// Builds the template workspace database from SQL scripts:
//   qa_make_template <output.mdb> <script.sql>...
// The output is written to a temporary name and renamed into place, so a
// failed build never leaves a half-made template behind.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "platform/db/Database.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: qa_make_template <output> <script.sql>...\n";
        return 2;
    }
    namespace fs = std::filesystem;
    fs::path out = argv[1];
    fs::path tmp = out;
    tmp += ".building";
    try {
        fs::create_directories(out.parent_path());
        fs::remove(tmp);
        {
            auto db = platform::db::Database::Create(tmp);
            platform::db::Transaction tx(*db);
            for (int i = 2; i < argc; ++i) {
                std::ifstream in(argv[i]);
                if (!in) throw std::runtime_error(std::string("cannot read ") + argv[i]);
                std::stringstream text;
                text << in.rdbuf();
                db->ExecuteScript(text.str());
            }
            tx.Commit();
            db->ExecuteScript("VACUUM");
        }
        fs::rename(tmp, out);
    } catch (const std::exception& e) {
        std::cerr << "qa_make_template: " << e.what() << "\n";
        fs::remove(tmp);
        return 1;
    }
    return 0;
}
