#include <QtTest>

#include "model/measurements.h"
#include "model/valuetext.h"
#include "ui/recordtablemodel.h"

#include "testreadings.h"

Q_DECLARE_METATYPE(PelnorXLogItem)
Q_DECLARE_METATYPE(UnitChoice)
Q_DECLARE_METATYPE(RowOrigin)

namespace {

QStringList cells(const RecordTableModel &m, int row)
{
    QStringList out;
    for (int c = 0; c < m.columnCount(); ++c)
        out.append(m.index(row, c).data().toString());
    return out;
}

} // namespace

// The table keeps readings, not texts; what it shows must be what the
// texts of the reading were.
class Tst_RecordTableModel : public QObject
{
    Q_OBJECT

private slots:
    void cellsAsTheReadingsTexts_data()
    {
        QTest::addColumn<PelnorXLogItem>("item");
        QTest::addColumn<UnitChoice>("units");
        QTest::addColumn<RowOrigin>("origin");

        PelnorXLogItem odd = reading(3.2, 20.0, 1.5, false, 0);
        odd.windchill_c = 10.5;   // not what the base quantities give: kept whole
        PelnorXLogItem oddDate = reading(3.2, 20.0, 1.5, false, 0, "2024-03-07", "9:05:07");
        const struct
        {
            const char *name;
            PelnorXLogItem item;
        } items[] = {
            {"normal", reading(5.0, -10.0, 1.234, false, 0)},
            {"Hi wind chill", reading(0.5, 25.0, 0.5, false, 0)},
            {"No Wheel", reading(5.0, -10.0, 1.234, false, 1)},
            {"device state 2", reading(2.5, 21.5, 0.5, false, 2)},
            {"area in feet", reading(7.25, 71.96, 2.75, true, 0)},
            {"downloaded, blank time", reading(1.5, -3.99, 0.2, false, 0, " ", " ")},
            {"last second of a day", reading(12.345, 0.05, 9.9, true, 0, "2089-12-31", "23:59:59")},
            {"values not derived", odd},
            {"date not as written live", oddDate},
        };
        const UnitChoice choices[] = {
            units(0, 0, 0, 0), units(1, 1, 1, 1), units(0, 2, 0, 1), units(1, 3, 1, 0),
            units(0, 4, 0, 0), units(1, 5, 0, 0), units(0, 6, 1, 1), units(7, -1, 3, 9),
        };
        for (const auto &it : items) {
            for (const UnitChoice &u : choices) {
                for (RowOrigin origin : {RowOrigin::Live, RowOrigin::Rebuilt}) {
                    QTest::addRow("%s, units %d/%d/%d/%d, %s", it.name, u.temp, u.wind, u.area, u.volume,
                                  origin == RowOrigin::Live ? "live" : "rebuilt")
                        << it.item << u << origin;
                }
            }
        }
    }

    void cellsAsTheReadingsTexts()
    {
        QFETCH(PelnorXLogItem, item);
        QFETCH(UnitChoice, units);
        QFETCH(RowOrigin, origin);

        RecordTableModel m;
        m.appendReading(item, units, origin);
        QCOMPARE(cells(m, 0), toList(tableRowTexts(item, units, origin)));
        QCOMPARE(m.index(0, 3).data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
    }

    void unitChangeAsAFreshRebuild()
    {
        const int n = 20000;
        const UnitChoice before = units(0, 0, 0, 0);
        const UnitChoice after = units(1, 2, 1, 1);
        RecordTableModel changed, fresh;
        QVector<PelnorXLogItem> items;
        for (int i = 0; i < n; ++i) {
            const QTime t = QTime(0, 0).addSecs(i * 7);
            items.append(reading(0.01 * (i % 4000), -20.0 + 0.1 * (i % 900), 0.001 * (1 + i % 3000), i % 3 == 0,
                                 i % 97 == 0 ? 1 : (i % 89 == 0 ? 2 : 0), "2026-12-8",
                                 qPrintable(t.toString(QStringLiteral("hh:mm:ss")))));
        }
        items[5].date = items[5].time = QStringLiteral(" ");
        changed.appendReadings(n, [&](int i) { return items.at(i); }, before, RowOrigin::Live);
        changed.appendRecordRow(tableRowTexts(items.at(0), before, RowOrigin::Live));
        changed.reexpress(after);
        fresh.appendReadings(n, [&](int i) { return items.at(i); }, after, RowOrigin::Rebuilt);
        fresh.appendRecordRow(tableRowTexts(items.at(0), before, RowOrigin::Live));

        QCOMPARE(changed.rowCount(), n + 1);
        for (int row = 0; row <= n; ++row) {
            if (cells(changed, row) != cells(fresh, row))
                QFAIL(qPrintable(QStringLiteral("row %1: %2 instead of %3")
                                     .arg(row)
                                     .arg(cells(changed, row).join(QLatin1Char('|')),
                                          cells(fresh, row).join(QLatin1Char('|')))));
        }
        // A row of texts stays as it was given.
        QCOMPARE(changed.text(n, 3), tableRowTexts(items.at(0), before, RowOrigin::Live)[3]);
    }
};

QTEST_GUILESS_MAIN(Tst_RecordTableModel)
#include "tst_recordtablemodel.moc"
