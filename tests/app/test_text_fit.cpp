// Texts that must be read whole: the serve dialog's refusal shows all its lines, and the
// station lists' fields stand in columns, each field of a column starting at one place.

#include "app/widgets.h"
#include "setup/languages.h"
#include "setup/serve_dialog.h"
#include "support/window_fixture.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QScrollBar>

namespace kestrav::test {
namespace {

// A refusal of several lines, after the dialog was laid out without it, in both languages.
TEST(TextFit, ServeDialogShowsTheWholeRefusal) {
    for (const UiLanguage language : {UiLanguage::English, UiLanguage::French}) {
        const LanguageTexts& texts = language_texts(language);
        const QString refusal = texts.serve_port_taken.arg(4533);
        ServeDialog dialog(texts, ServeSetting{true}, [&](const ServeSetting&) { return refusal; });
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        dialog.accept();
        auto* error = dialog.findChild<QLabel*>(QStringLiteral("LabelError"));
        ASSERT_NE(error, nullptr);
        EXPECT_TRUE(QTest::qWaitFor([&] {
            return error->isVisible() && error->height() >= error->heightForWidth(error->width());
        })) << error->height()
            << " < " << error->heightForWidth(error->width());
        EXPECT_GT(error->heightForWidth(error->width()), error->fontMetrics().height())
            << "the refusal takes more than one line";
        EXPECT_TRUE(dialog.rect().contains(QRect(error->mapTo(&dialog, QPoint()), error->size())));
        EXPECT_TRUE(dialog.isVisible()) << "the dialog stays open";
    }
}

// Where each column of ink starts in an entry's row: the first ink after a blank of at least
// `gap` pixels, or from the row's left.
QList<int> ink_columns(const QImage& row, int gap) {
    QList<int> starts;
    int blank = gap;
    for (int x = 0; x < row.width(); ++x) {
        bool ink = false;
        for (int y = 0; y < row.height() && !ink; ++y)
            ink = qGray(row.pixel(x, y)) < 128;
        if (ink && blank >= gap)
            starts.append(x);
        blank = ink ? 0 : blank + 1;
    }
    return starts;
}

class ListColumns : public WindowTest {};

// Prefixes, names with their continent, latitudes and longitudes of every length: in the open
// list each field starts where the same field of every other entry starts.
TEST_F(ListColumns, FieldsOfEveryEntryLineUp) {
    start();
    QComboBox* list = ui().ComboBoxListDX;
    list->showPopup();
    QAbstractItemView* view = list->view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view->window()));
    const int gap = static_cast<int>(QFontMetricsF(view->font()).averageCharWidth());
    QList<int> first;
    for (const char* start_of_entry :
         {"1A\t", "3C\t", "3D2\t", "3B8\t", "VK9X\t", "F\t", "ZL8\t", "JA\t", "CE0Z\t", "W\t"}) {
        const int row = list->findText(QString::fromLatin1(start_of_entry), Qt::MatchStartsWith);
        ASSERT_GE(row, 0) << start_of_entry;
        const QModelIndex index = list->model()->index(row, 0);
        view->scrollTo(index);
        const QRect rect = view->visualRect(index);
        const QList<int> columns = ink_columns(view->viewport()->grab(rect).toImage(), gap);
        SCOPED_TRACE(list->itemText(row).toStdString());
        EXPECT_EQ(columns.size(), 4);
        if (first.isEmpty())
            first = columns;
        for (qsizetype i = 0; i < std::min(columns.size(), first.size()); ++i)
            EXPECT_NEAR(columns[i], first[i], 1) << "column " << i;
        EXPECT_LE(rect.right(), view->viewport()->width()) << "inside the view";
    }
    list->hidePopup();
}

} // namespace
} // namespace kestrav::test
