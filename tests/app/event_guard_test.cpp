// The guard around every event procedure: nothing thrown reaches Qt's event
// loop, the person is told, and the windows stay as they were.

#include "app/event_guard.h"

#include <QTest>
#include <new>
#include <stdexcept>

#include "support/test_program.h"

using bio::test::TestProgram;

class EventGuardTest : public QObject {
  Q_OBJECT

 private slots:
  void failedEventLeavesWindowsAsTheyWere();
};

// Whatever an event procedure throws is reported, and the windows stay as
// they were shown before the event.
void EventGuardTest::failedEventLeavesWindowsAsTheyWere() {
  TestProgram t(QDate(2024, 5, 3), {}, "\"a\",\"\",\"1\",\"1\",\"1\"\r\n", true);
  t.program->Start();
  bio::Guarded(t.program->forms, "テスト", [&] {
    t.program->forms.Hide(t.Nurel());
    t.program->forms.Show(t.Sindan());
    throw std::out_of_range("index");
  });
  bio::Guarded(t.program->forms, "テスト", [] { throw std::bad_alloc(); });
  bio::Guarded(t.program->forms, "テスト", [] { throw 42; });
  QVERIFY(t.Nurel().isVisible());
  QVERIFY(!t.Sindan().isVisible());
  QCOMPARE(t.messages.size(), 3);
  for (const QString& message : t.messages) {
    QVERIFY2(message.startsWith("「テスト」の途中で") && message.endsWith("続けます。"),
             qPrintable(message));
  }

  // Through a real event: a clock that fails while the input window loads.
  TestProgram failing;
  failing.program->forms.clock = []() -> QDate { throw std::runtime_error("clock"); };
  failing.program->Start();
  QVERIFY(failing.Nurel().isVisible());
  QCOMPARE(failing.messages.size(), 1);
}

QTEST_MAIN(EventGuardTest)
#include "event_guard_test.moc"
