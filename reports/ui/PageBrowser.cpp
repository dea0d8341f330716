#include "reports/ui/PageBrowser.h"

#include <QFileInfo>

#include "platform/ui/MessageBoxPrompt.h"
#include "platform/ui/QtText.h"

namespace reports::ui {

PageBrowser::PageBrowser(QWidget* parent) : QTextBrowser(parent) {
    setOpenLinks(true);
    // Addresses on the web go to the desktop's browser; this one shows files.
    setOpenExternalLinks(true);
    // source() names the page only once the change is in the history,
    // after this signal.
    connect(this, &QTextBrowser::sourceChanged, this, [this](const QUrl& shown) {
        m_showsFrame = !m_page.isEmpty() && shown.adjusted(QUrl::RemoveFragment) == m_page;
    });
}

PageBrowser::~PageBrowser() = default;

void PageBrowser::ShowFrame(const QUrl& page, const QString& frame) {
    m_page = page.adjusted(QUrl::RemoveFragment);
    m_frame = frame;
    setSource(page);
}

QVariant PageBrowser::loadResource(int type, const QUrl& name) {
    if (!m_page.isEmpty() && name.adjusted(QUrl::RemoveFragment) == m_page) return m_frame;
    return QTextBrowser::loadResource(type, name);
}

void PageBrowser::doSetSource(const QUrl& name, QTextDocument::ResourceType type) {
    const QUrl target = name.isRelative() && source().isValid() ? source().resolved(name) : name;
    if (target.isLocalFile() && target.adjusted(QUrl::RemoveFragment) != m_page &&
        !QFileInfo::exists(target.toLocalFile())) {
        if (!m_prompt) {
            m_ownPrompt = std::make_unique<platform::ui::MessageBoxPrompt>(this);
            m_prompt = m_ownPrompt.get();
        }
        m_prompt->Message(
            "The report set is not there: \"" + platform::ui::S(target.toLocalFile()) + "\" does not exist.",
            platform::ui::S(window()->windowTitle()), common::Icon::Information);
        return;
    }
    QTextBrowser::doSetSource(target, type);
}

}  // namespace reports::ui
