#pragma once
// The browser of an analysis window. It shows one page with its list taken
// out (the list is shown beside it, row by row): for that page's address it
// reads the text it was handed instead of the file, so links, history and
// the page's address stay those of the file. A link to a file that is not
// there leaves the page shown and says so, rather than showing nothing.

#include <QTextBrowser>
#include <QUrl>

#include <memory>

namespace common {
class IPrompt;
}

namespace reports::ui {

class PageBrowser : public QTextBrowser {
    Q_OBJECT
public:
    explicit PageBrowser(QWidget* parent);
    ~PageBrowser() override;

    // Shows page, reading frame (HTML) where its file's text would be read.
    void ShowFrame(const QUrl& page, const QString& frame);
    // Whether the page shown is the one ShowFrame was given (already when
    // sourceChanged is emitted).
    bool ShowsFrame() const { return m_showsFrame; }
    // Where the message about a missing file goes (it must outlive the
    // browser); without one, a message box over the window.
    void SetPrompt(common::IPrompt* prompt) { m_prompt = prompt; }

protected:
    QVariant loadResource(int type, const QUrl& name) override;
    void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override;

private:
    QUrl m_page;
    QString m_frame;
    bool m_showsFrame = false;
    common::IPrompt* m_prompt = nullptr;
    std::unique_ptr<common::IPrompt> m_ownPrompt;
};

}  // namespace reports::ui
