#include <gtest/gtest.h>

#include <QLabel>
#include <QTextBlock>
#include <QTextBrowser>

#include "AboutDialog.h"

TEST(AboutDialogTest, ShowsTheAboutTextAndTheLink) {
    AboutDialog dialog(nullptr);
    EXPECT_EQ(dialog.objectName(), "AboutDialog");
    EXPECT_EQ(dialog.windowTitle(), "AboutDialog");
    EXPECT_EQ(dialog.size(), QSize(460, 178));

    auto* text = dialog.findChild<QTextBrowser*>("textBrowser");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->geometry(), QRect(10, 10, 441, 161));
    const QTextDocument* document = text->document();
    ASSERT_EQ(document->blockCount(), 7);
    const Qt::Alignment expected[] = {Qt::AlignLeft, Qt::AlignLeft,  Qt::AlignHCenter,
                                      Qt::AlignLeft, Qt::AlignRight, Qt::AlignRight,
                                      Qt::AlignRight};
    for (int i = 0; i < 7; ++i) {
        const QTextBlock block = document->findBlockByNumber(i);
        // "right" may come back as absolute right
        EXPECT_EQ(block.blockFormat().alignment() & ~Qt::AlignAbsolute & Qt::AlignHorizontal_Mask,
                  expected[i])
            << i;
        EXPECT_EQ(block.text().isEmpty(), i == 1 || i == 3) << i;
    }
    EXPECT_TRUE(document->findBlockByNumber(6).text().contains('@'));

    auto* link = dialog.findChild<QLabel*>("label_68");
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->geometry(), QRect(350, 140, 91, 16));
    EXPECT_TRUE(link->openExternalLinks());
    EXPECT_TRUE(link->text().contains("<a href=\"https://"));
    // The link lies over the text's lower right corner, so it is created after it.
    EXPECT_GT(dialog.children().indexOf(link), dialog.children().indexOf(text));
}
