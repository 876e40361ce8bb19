// Choosing stations from the prefix list and from personal lists loaded through the menu.

#include "app/widgets.h"
#include "support/window_fixture.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QScrollBar>

#include <cmath>

#include <sys/stat.h>

namespace kestrav::test {
namespace {

class ListsWindowTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        start();
        set_local(QStringLiteral("JN18EU"));
    }

    // The operator picks the entry that starts with `prefix_tab_name`.
    void choose(QComboBox* list, const QString& start_of_entry) {
        int index = -1;
        for (int i = 0; i < list->count(); ++i)
            if (list->itemText(i).startsWith(start_of_entry)) {
                index = i;
                break;
            }
        ASSERT_GE(index, 0) << start_of_entry.toStdString();
        list->setCurrentIndex(index);
        emit list->activated(index);
    }

    QString write_list(const QString& name, const QByteArray& bytes) {
        const QString path = dir.path() + QLatin1Char('/') + name;
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
};

TEST_F(ListsWindowTest, PrefixTableIsSortedIgnoringCase) {
    QComboBox* list = ui().ComboBoxListDX;
    ASSERT_EQ(list->count(), 563);
    EXPECT_EQ(list->currentIndex(), -1);
    for (int i = 1; i < list->count(); ++i)
        EXPECT_LE(list->itemText(i - 1).compare(list->itemText(i), Qt::CaseInsensitive), 0) << i;
    EXPECT_GE(list->findText(QStringLiteral("1A\tMalta (Eu)\t35.83N\t14.58E")), 0);
}

// The list opens below itself as a list box: 15 rows and a scroll bar; the entry `row`, once
// scrolled to, shows its name from the start of the names' column, past the widest prefix,
// and ends inside the view.
void expect_list_box_showing_whole_entry(QComboBox* list, int row) {
    SCOPED_TRACE(list->objectName().toStdString());
    list->showPopup();
    QAbstractItemView* view = list->view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view->window()));
    const int row_height = view->visualRect(list->model()->index(0, 0)).height();
    ASSERT_GT(row_height, 0);
    EXPECT_EQ(view->viewport()->height() / row_height, 15);
    EXPECT_TRUE(view->verticalScrollBar()->isVisible());

    const QModelIndex index = list->model()->index(row, 0);
    view->scrollTo(index);
    const QRect rect = view->visualRect(index);
    const QImage image = view->viewport()->grab(rect).toImage();
    const auto ink_in_column = [&](int x) {
        for (int y = 0; y < image.height(); ++y)
            if (qGray(image.pixel(x, y)) < 128)
                return true;
        return false;
    };
    int last_ink = -1;
    for (int x = 0; x < image.width(); ++x)
        if (ink_in_column(x))
            last_ink = x;

    const QStringList fields = list->itemText(row).split(u'\t');
    ASSERT_GE(fields.size(), 2);
    const QFontMetricsF metrics(view->font());
    qreal widest_prefix = 0;
    for (int i = 0; i < list->count(); ++i)
        widest_prefix = std::max(widest_prefix,
                                 metrics.horizontalAdvance(list->itemText(i).section(u'\t', 0, 0)));
    const qreal name_start = widest_prefix + 2 * metrics.averageCharWidth();
    const auto* delegate = qobject_cast<const TabbedEntryDelegate*>(view->itemDelegate());
    ASSERT_NE(delegate, nullptr);
    const qreal end = delegate->entryWidth(list->model(), list->itemText(row), view->font());
    const int margin = TabbedEntryDelegate::textMargin(view);
    const int prefix_end = margin + static_cast<int>(metrics.horizontalAdvance(fields[0]));
    const int name_x = margin + static_cast<int>(name_start);
    int first_name_ink = prefix_end + 2;
    while (first_name_ink < image.width() && !ink_in_column(first_name_ink))
        ++first_name_ink;
    EXPECT_NEAR(first_name_ink, name_x, 2) << "the name starts at its column";
    EXPECT_NEAR(last_ink, margin + end, 3) << "the whole entry is painted";
    EXPECT_LE(margin + end, rect.width()) << "inside the view";
    list->hidePopup();
}

TEST_F(ListsWindowTest, ListsOpenAsListBoxesShowingTheWholeEntry) {
    QComboBox* prefixes = ui().ComboBoxListDX;
    const QFontMetricsF metrics(prefixes->view()->font());
    int widest = 0;
    for (int i = 1; i < prefixes->count(); ++i)
        if (metrics.horizontalAdvance(prefixes->itemText(i)) >
            metrics.horizontalAdvance(prefixes->itemText(widest)))
            widest = i;
    expect_list_box_showing_whole_entry(prefixes, widest);

    QComboBox* perso = ui().ComboBoxPerso3;
    for (int i = 0; i < 20; ++i)
        perso->addItem(QStringLiteral("F%1\tStation %1\t48N\t2E").arg(i));
    perso->addItem(QStringLiteral("TX7T\tMarquesas Islands, French Polynesia\t8.91S\t140.10W"));
    expect_list_box_showing_whole_entry(perso, perso->count() - 1);
}

TEST_F(ListsWindowTest, ChoosingACountrySetsTheStationAndTheBearing) {
    ui().ComboBoxPerso1->addItem(QStringLiteral("X\tY\t1N\t1E"));
    ui().ComboBoxPerso1->setCurrentIndex(0);
    choose(ui().ComboBoxListDX, QStringLiteral("F\tFrance (Eu)"));
    EXPECT_EQ(ui().EditDXLattitude->text(), QStringLiteral("46"));
    EXPECT_EQ(ui().EditDXLongitude->text(), QStringLiteral("2"));
    EXPECT_TRUE(ui().CheckBoxLattitudeNordDX->isChecked());
    EXPECT_TRUE(ui().CheckBoxLongitudeEstDX->isChecked());
    EXPECT_EQ(ui().EditDXLocator->text(), QStringLiteral("JN16AA"));
    EXPECT_FALSE(ui().EditAzimut->text().isEmpty());
    EXPECT_EQ(ui().ComboBoxPerso1->currentIndex(), -1);
    EXPECT_GE(ui().ComboBoxListDX->currentIndex(), 0);

    choose(ui().ComboBoxListDX, QStringLiteral("FT.Y\t"));
    EXPECT_EQ(ui().EditDXLocator->text(), QStringLiteral("PC93MA"));
    EXPECT_TRUE(ui().CheckBoxLattitudeSudDX->isChecked());
}

TEST_F(ListsWindowTest, SameStationUnderEitherSeparator) {
    choose(ui().ComboBoxListDX, QStringLiteral("1A\t"));
    EXPECT_EQ(ui().EditDXLattitude->text(), QStringLiteral("35.83"));
    EXPECT_EQ(ui().EditDXLocator->text(), QStringLiteral("JM75GT"));
    const QString azimuth = ui().EditAzimut->text();
    set_decimal_separator(QLatin1Char(','));
    ui().ComboBoxPerso2->addItem(QStringLiteral("1A\tMalta (Eu)\t35,83N\t14,58E"));
    choose(ui().ComboBoxPerso2, QStringLiteral("1A"));
    EXPECT_EQ(ui().EditDXLattitude->text(), QStringLiteral("35,83"));
    EXPECT_EQ(ui().EditDXLocator->text(), QStringLiteral("JM75GT"));
    EXPECT_EQ(ui().EditAzimut->text(),
              QString(azimuth).replace(QLatin1Char('.'), QLatin1Char(',')));
}

TEST_F(ListsWindowTest, MalformedEntriesAreRefusedWithABeep) {
    const char* bad[] = {"A\tB\t10N", "A\tB\t10n\t20E", "A\tB\t1,5.2N\t20E", "A\tB\t10N\t20E\tx"};
    choose(ui().ComboBoxListDX, QStringLiteral("F\t"));
    int beeps = desktop.beeps;
    for (const char* entry : bad) {
        ui().ComboBoxPerso3->clear();
        ui().ComboBoxPerso3->addItem(QString::fromLatin1(entry));
        choose(ui().ComboBoxPerso3, QString::fromLatin1(entry));
        EXPECT_EQ(desktop.beeps, ++beeps) << entry;
        EXPECT_TRUE(ui().EditDXLocator->text().isEmpty()) << entry;
        EXPECT_TRUE(ui().EditDXLattitude->text().isEmpty()) << entry;
        EXPECT_TRUE(ui().EditAzimut->text().isEmpty()) << entry;
        EXPECT_EQ(ui().ComboBoxPerso3->currentIndex(), 0) << entry;
    }
}

TEST_F(ListsWindowTest, PersonalListFromTheMenuWithItsTitle) {
    const QString path =
        write_list(QStringLiteral("contest.ksv"),
                   "ZZ\tZulu\t10S\t20W\r\n[Contest 2]\r\n\r\nAA\tAlpha\t1N\t2E\r\n");
    ::chmod(QFile::encodeName(path).constData(), 0444);
    desktop.file_answers << path;
    ui().Menuliste2->trigger();
    EXPECT_EQ(desktop.file_filters.value(0),
              QStringLiteral("List/Liste (*.ksv,*.txt)|*.ksv;*.txt|All/Tous|*.*"));
    EXPECT_EQ(ui().LabelPerso2->text(), QStringLiteral("Contest 2"));
    EXPECT_EQ(ui().Menuliste2->text(), QStringLiteral("Contest 2"));
    ASSERT_EQ(ui().ComboBoxPerso2->count(), 2);
    EXPECT_TRUE(ui().ComboBoxPerso2->itemText(0).startsWith(QStringLiteral("AA")));
    EXPECT_EQ(window->state().PersoPathNames[1], path);
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0444u);

    // Cancelling the dialog changes nothing.
    ui().Menuliste2->trigger();
    EXPECT_EQ(window->state().PersoPathNames[1], path);
    EXPECT_EQ(ui().ComboBoxPerso2->count(), 2);

    // An empty file changes nothing either; line ends only empty the list; no title keeps it.
    desktop.file_answers << write_list(QStringLiteral("empty.txt"), "");
    ui().Menuliste2->trigger();
    EXPECT_EQ(ui().ComboBoxPerso2->count(), 2);
    desktop.file_answers << write_list(QStringLiteral("blank.txt"), "\r\n\n\r");
    ui().Menuliste2->trigger();
    EXPECT_EQ(ui().ComboBoxPerso2->count(), 0);
    EXPECT_EQ(ui().LabelPerso2->text(), QStringLiteral("Contest 2"));

    // A title line without "]" empties the captions.
    desktop.file_answers << write_list(QStringLiteral("t.txt"), "[Open title\nA\tB\t1N\t1E");
    ui().Menuliste2->trigger();
    EXPECT_TRUE(ui().LabelPerso2->text().isEmpty());
    EXPECT_EQ(ui().ComboBoxPerso2->count(), 1);
}

TEST_F(ListsWindowTest, ListThatCannotBeOpenedIsReportedAndKeepsItsEntries) {
    desktop.file_answers << write_list(QStringLiteral("a.txt"), "[Mine]\nA\tB\t1N\t1E\n");
    ui().MenuListe1->trigger();
    desktop.file_answers << dir.path() + QStringLiteral("/missing.txt");
    ui().MenuListe1->trigger();
    ASSERT_EQ(desktop.boxes.size(), 1u);
    EXPECT_EQ(desktop.boxes[0].text, QStringLiteral("Can't open file ERR:2"));
    EXPECT_TRUE(window->state().PersoPathNames[0].isEmpty());
    EXPECT_EQ(ui().ComboBoxPerso1->count(), 1);
    EXPECT_EQ(ui().LabelPerso1->text(), QStringLiteral("Mine"));
}

} // namespace
} // namespace kestrav::test
