// Every control name the core addresses is a control of the built window,
// found exactly once: a renamed or missing control would otherwise leave the
// changes meant for it unapplied without a word, and a duplicate would take
// them in place of the other. A name the window lacks is warned about once.
#include "app/mainwindow.h"
#include "core/controlnames.h"
#include "support/windowrig.h"

#include <QRegularExpression>
#include <QTest>

class TestControlNames : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void nameFoundOnce_data();
    void nameFoundOnce();
    void unknownNameWarnedOnce();

private:
    std::unique_ptr<FakePortRig> m_rig;
};

void TestControlNames::initTestCase() {
    m_rig = std::make_unique<FakePortRig>();
    m_rig->window->buildPages();
}

void TestControlNames::cleanupTestCase() {
    m_rig.reset();
}

void TestControlNames::nameFoundOnce_data() {
    QTest::addColumn<QString>("name");
    for (const char* name : Control::kAll)
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestControlNames::nameFoundOnce() {
    QFETCH(QString, name);
    QCOMPARE(m_rig->window->findChildren<QWidget*>(name).size(), 1);
}

void TestControlNames::unknownNameWarnedOnce() {
    UiChanges c;
    c.text.insert(QStringLiteral("Label99"), QStringLiteral("x"));
    c.enabled.insert(QStringLiteral("Label99"), false);
    QTest::ignoreMessage(QtWarningMsg, "corvane: the window has no control named Label99");
    QTest::failOnWarning(QRegularExpression(QStringLiteral("Label99")));
    m_rig->window->apply(c);
    m_rig->window->apply(c);
}

QTEST_MAIN(TestControlNames)
#include "test_controlnames.moc"
