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
