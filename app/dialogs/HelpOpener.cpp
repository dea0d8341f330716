#include "app/dialogs/HelpOpener.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>

#include <system_error>

namespace dialogs {

UrlOpener DesktopUrlOpener(std::function<void(const QUrl&)> failedLater) {
    return [failedLater = std::move(failedLater)](const QUrl& url) {
        const QString launcher = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
        if (launcher.isEmpty() || !url.isLocalFile()) return QDesktopServices::openUrl(url);
        auto* process = new QProcess(QCoreApplication::instance());
        process->setProgram(launcher);
        process->setArguments({url.toLocalFile()});
        // The viewer's output goes where ours goes, not into a buffer.
        process->setProcessChannelMode(QProcess::ForwardedChannels);
        QObject::connect(process, &QProcess::finished, process,
                         [process, url, failedLater](int code, QProcess::ExitStatus status) {
                             process->deleteLater();
                             if ((status != QProcess::NormalExit || code != 0) && failedLater) failedLater(url);
                         });
        process->start();
        if (process->waitForStarted()) return true;
        delete process;
        return false;
    };
}

std::filesystem::path HelpFilePath(const std::filesystem::path& appPath) { return appPath / kHelpFileName; }

bool OpenHelp(const std::filesystem::path& appPath, common::IPrompt& prompt, const std::string& title,
              const UrlOpener& opener) {
    const std::filesystem::path file = HelpFilePath(appPath);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) {
        prompt.Message("The help file cannot be found:\n" + file.string(), title, common::Icon::Exclamation);
        return false;
    }
    const QUrl url = QUrl::fromLocalFile(QString::fromStdString(std::filesystem::absolute(file, ec).string()));
    if (!opener || !opener(url)) {
        prompt.Message("No program is available to open the help file:\n" + file.string(), title,
                       common::Icon::Exclamation);
        return false;
    }
    return true;
}

std::string AboutText(const std::string& title, const std::string& version) {
    // Major and minor only: "1.0.0" -> "1.0", "2" -> "2.0".
    std::string major = version.substr(0, version.find('.'));
    std::string minor = "0";
    if (auto dot = version.find('.'); dot != std::string::npos) {
        minor = version.substr(dot + 1);
        minor = minor.substr(0, minor.find('.'));
    }
    if (major.empty()) major = "0";
    if (minor.empty()) minor = "0";
    return title + " " + major + "." + minor;
}

}  // namespace dialogs
