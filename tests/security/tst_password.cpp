#include "TestRegistry.h"
#include "security/Password.h"

#include <QTest>

class TestPassword : public QObject
{
    Q_OBJECT
private slots:
    void roundTrip_data();
    void roundTrip();
    void encodesInPlaceCharacterByCharacter();
    void hashes();
};

void TestPassword::roundTrip_data()
{
    QTest::addColumn<QString>("plain");
    QTest::newRow("empty") << "";
    QTest::newRow("rowan") << "rowan";
    QTest::newRow("longer than the key") << "abcdefghijkLMNOP0123456789";
    QTest::newRow("equal to the key") << "31857";
}

void TestPassword::roundTrip()
{
    QFETCH(QString, plain);
    QString text = plain;
    const QString encoded = EncodePassword(text, kPasswordKey);
    QCOMPARE(text, encoded);
    QCOMPARE(encoded.size(), plain.size());
    QCOMPARE(DecodePassword(text, kPasswordKey), plain);
    QCOMPARE(text, plain);
    // The old form is still accepted when a stored account holds it.
    if (!plain.isEmpty()) {
        QVERIFY(VerifyPassword(encoded, plain));
        QVERIFY(!VerifyPassword(encoded, plain + "x"));
        QVERIFY(IsOldPasswordForm(encoded));
    }
}

void TestPassword::encodesInPlaceCharacterByCharacter()
{
    // A character equal to the key's character at its position becomes code 0.
    QString text = QStringLiteral("3a");
    EncodePassword(text, kPasswordKey);
    QCOMPARE(text[0].unicode(), ushort(0));
    QCOMPARE(text[1].unicode(), ushort('a' ^ '1'));
    QCOMPARE(text.size(), 2);
    // The key starts over after its fifth character.
    QString six = QStringLiteral("aaaaaa");
    EncodePassword(six, kPasswordKey);
    QCOMPARE(six[5], six[0]);
    QVERIFY(six[1] != six[0]);
}

void TestPassword::hashes()
{
    const QString stored = HashPassword(QStringLiteral("Secret42"));
    QVERIFY(stored.startsWith("$argon2id$"));
    QVERIFY(!IsOldPasswordForm(stored));
    QVERIFY(VerifyPassword(stored, "Secret42"));
    QVERIFY(!VerifyPassword(stored, "secret42"));
    QVERIFY(!VerifyPassword(stored, ""));
    // Salted: the same password never gives the same text twice.
    QVERIFY(HashPassword(QStringLiteral("Secret42")) != stored);
    // An empty stored value holds no password at all.
    QVERIFY(!VerifyPassword(QString(), QString()));
    QVERIFY(!IsOldPasswordForm(QString()));
}

REGISTER_TEST(TestPassword)
#include "tst_password.moc"
