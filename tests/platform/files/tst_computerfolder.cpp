// The computer's own folder as the installer leaves it, running as an administrator: under the
// common application data, which lets every user add files, users may still only read in it.

#include "platform/files/GameFolders.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <windows.h>

#include <aclapi.h>

#include <string>

using namespace Qt::StringLiterals;
using namespace trouvimo;

namespace {

constexpr ACCESS_MASK kWriting = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA
    | FILE_WRITE_ATTRIBUTES | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

struct Access {
    bool protectedList = false;
    bool usersRead = false;
    bool usersWrite = false;
};

// What the access list of a file or folder lets the computer's users do.
Access accessOf(const QString& path)
{
    Access access;
    std::wstring name = QDir::toNativeSeparators(path).toStdWString();
    PACL list = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, &list, nullptr, &descriptor)
        != ERROR_SUCCESS)
        return access;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    GetSecurityDescriptorControl(descriptor, &control, &revision);
    access.protectedList = (control & SE_DACL_PROTECTED) != 0;
    BYTE users[SECURITY_MAX_SID_SIZE];
    DWORD usersSize = sizeof(users);
    CreateWellKnownSid(WinBuiltinUsersSid, nullptr, users, &usersSize);
    for (DWORD index = 0; list != nullptr && index < list->AceCount; ++index) {
        void* entry = nullptr;
        if (!GetAce(list, index, &entry))
            continue;
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        if (allowed->Header.AceType != ACCESS_ALLOWED_ACE_TYPE
            || !EqualSid(&allowed->SidStart, users))
            continue;
        access.usersRead |= (allowed->Mask & (FILE_READ_DATA | GENERIC_READ)) != 0;
        access.usersWrite |= (allowed->Mask & kWriting) != 0;
    }
    LocalFree(descriptor);
    return access;
}

} // namespace

class ComputerFolderTest : public QObject {
    Q_OBJECT

private slots:
    void usersOnlyRead_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("heldBefore");
        QTest::newRow("made where missing") << u"ProgramData/Trouvimo"_s << QString();
        QTest::newRow("taken back with a pupil's list in it")
            << u"Trouvimo"_s << u"ListeMots.txt"_s;
    }

    void usersOnlyRead()
    {
        QFETCH(QString, folder);
        QFETCH(QString, heldBefore);
        const QTemporaryDir root;
        const QString made = root.filePath(folder);
        if (!heldBefore.isEmpty()) {
            QVERIFY(QDir().mkpath(made));
            QFile held(made + u'/' + heldBefore);
            QVERIFY(held.open(QIODevice::WriteOnly));
        }

        QVERIFY(keepComputerFolder(made));

        const Access kept = accessOf(made);
        QVERIFY(kept.protectedList);
        QVERIFY(kept.usersRead);
        QVERIFY(!kept.usersWrite);
        if (!heldBefore.isEmpty())
            QVERIFY(!accessOf(made + u'/' + heldBefore).usersWrite);
    }
};

QTEST_GUILESS_MAIN(ComputerFolderTest)
#include "tst_computerfolder.moc"
