// Messages carry names and paths from the analyst's data: a name that looks
// like markup ("<P>AY", "<b>") must be shown as typed, not rendered.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "platform/ui/MessageBoxPrompt.h"

namespace {

TEST(MessageBoxPrompt, TextIsShownAsPlainText) {
    platform::ui::MessageBoxPrompt prompt(nullptr, "Quarvel Analyzer");
    const std::string text = "The workspace '/data/<b>Shop</b>' cannot be read.\nProgram <P>AY & Co";
    QString shown;
    Qt::TextFormat format = Qt::AutoText;
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                shown = box->text();
                format = box->textFormat();
                box->button(QMessageBox::Yes)->click();
            }
    });
    EXPECT_EQ(prompt.Ask(text, "", common::Buttons::YesNo, common::Icon::Question), common::Answer::Yes);
    EXPECT_EQ(shown.toStdString(), text);
    EXPECT_EQ(format, Qt::PlainText);
}

}  // namespace

namespace {

// What the next message box showed and over which window; answered with OK.
struct SeenBox {
    QWidget* parent = nullptr;
    QString text;
};
void AnswerNextBox(SeenBox& seen) {
    seen = {};
    QTimer::singleShot(0, [&seen] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            seen = {box->parentWidget(), box->text()};
            box->button(QMessageBox::Ok)->click();
        }
    });
}

// A message goes over the window the analyst works in, whoever raised it:
// over a modal window opened from the main window, not over the main window.
TEST(MessageBoxPrompt, TheBoxBelongsToTheModalWindowOverItsOwner) {
    QWidget main;
    main.show();
    platform::ui::MessageBoxPrompt prompt(&main, "Quarvel Analyzer");
    SeenBox seen;

    AnswerNextBox(seen);
    prompt.Message("nothing else open", "", common::Icon::Information);
    EXPECT_EQ(seen.parent, &main);
    EXPECT_EQ(seen.text, "nothing else open");

    QWidget editor(&main, Qt::Window);
    editor.setWindowModality(Qt::ApplicationModal);
    editor.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &editor);
    AnswerNextBox(seen);
    prompt.Message("NCUSTMNT has no code model.", "", common::Icon::Critical);
    EXPECT_EQ(seen.parent, &editor);
    EXPECT_EQ(seen.text, "NCUSTMNT has no code model.");

    // The modal window gone, the box is the main window's again.
    editor.close();
    AnswerNextBox(seen);
    prompt.Message("again", "", common::Icon::Information);
    EXPECT_EQ(seen.parent, &main);
}

}  // namespace
