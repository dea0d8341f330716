// Writes the WSDL files that the consumer tests load: a copy of the template
// database gets the fixture services of WsdlFixtures, and each service's
// WSDL goes through the real save path into the output folder under its
// default file name (the service's real name, blanks included).
//
// usage: make_wsdl_fixtures TEMPLATE.mdb OUTDIR

#include <filesystem>
#include <iostream>
#include <string>

#include "tests/services/WsdlFixtures.h"
#include "services/WsdlSave.h"

namespace fs = std::filesystem;

namespace {

// Takes the proposed name in the output folder.
class FolderDialog : public services::ISaveDialog {
public:
    explicit FolderDialog(fs::path folder) : m_folder(std::move(folder)) {}
    services::SaveDialogResult ShowSave(const services::SaveDialogSpec& spec) override {
        return {services::SaveDialogOutcome::Chosen, m_folder / spec.fileName};
    }
private:
    fs::path m_folder;
};

// Any question or message during generation is a failure of the fixture.
class FailingPrompt : public common::IPrompt {
public:
    common::Answer Ask(const std::string& text, const std::string&, common::Buttons, common::Icon) override {
        std::cerr << "unexpected message: " << text << "\n";
        failed = true;
        return common::Answer::Cancel;
    }
    bool failed = false;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: make_wsdl_fixtures TEMPLATE.mdb OUTDIR\n";
        return 2;
    }
    try {
        const fs::path out = argv[2];
        fs::remove_all(out);
        fs::create_directories(out);
        fs::copy_file(argv[1], out / "fixtures.mdb");
        auto db = platform::db::Database::Open(out / "fixtures.mdb");

        FolderDialog dialog(out);
        FailingPrompt prompt;
        for (int64_t wsid : {wsdlfixtures::BuildOrderService(*db), wsdlfixtures::BuildHostileService(*db),
                              wsdlfixtures::BuildUnicodeNamesService(*db)}) {
            auto file = services::GenerateAndSaveWebServiceWSDL(*db, wsid, dialog, prompt);
            if (!file || prompt.failed) {
                std::cerr << "no WSDL written for service " << wsid << "\n";
                return 1;
            }
            std::cout << "wrote " << file->string() << "\n";
        }
        return 0;
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
}
