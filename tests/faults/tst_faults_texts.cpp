#include <QtTest>
class t : public QObject { Q_OBJECT };
QTEST_MAIN(t)
#include "tst_faults_texts.moc"
