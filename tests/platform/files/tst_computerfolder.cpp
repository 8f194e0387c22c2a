// The computer's own folder as the installer leaves it, running as an administrator: under the
// common application data, which lets every user add files, users may still only read in it.
// Wine keeps no access list of its own for a file (it makes one up from the file's mode), so the
// list is checked as the system reads it, and the folder as made.

#include "platform/files/GameFolders.h"
#include "platform/files/windows/ComputerFolderAccess.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <windows.h>

#include <sddl.h>

using namespace Qt::StringLiterals;
using namespace trouvimo;

namespace {

constexpr ACCESS_MASK kWriting = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA
    | FILE_WRITE_ATTRIBUTES | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

struct Access {
    bool protectedList = false;
    bool read = false; // in the folder and all it holds
    bool write = false;
};

// What the folder's access list lets a group do, as the system reads the list.
Access accessOf(WELL_KNOWN_SID_TYPE group)
{
    Access access;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
            kComputerFolderAccess, SDDL_REVISION_1, &descriptor, nullptr))
        return access;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    GetSecurityDescriptorControl(descriptor, &control, &revision);
    access.protectedList = (control & SE_DACL_PROTECTED) != 0;
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL list = nullptr;
    GetSecurityDescriptorDacl(descriptor, &present, &list, &defaulted);
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof(sid);
    CreateWellKnownSid(group, nullptr, sid, &sidSize);
    for (DWORD index = 0; list != nullptr && index < list->AceCount; ++index) {
        void* entry = nullptr;
        if (!GetAce(list, index, &entry))
            continue;
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        if (allowed->Header.AceType != ACCESS_ALLOWED_ACE_TYPE
            || !EqualSid(&allowed->SidStart, sid))
            continue;
        const bool inherited =
            (allowed->Header.AceFlags & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE))
            == (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE);
        access.read |= inherited && (allowed->Mask & (FILE_READ_DATA | FILE_ALL_ACCESS)) != 0;
        access.write |= (allowed->Mask & kWriting) != 0;
    }
    LocalFree(descriptor);
    return access;
}

} // namespace

class ComputerFolderTest : public QObject {
    Q_OBJECT

private slots:
    void onlyAdministratorsWrite_data()
    {
        QTest::addColumn<int>("group");
        QTest::addColumn<bool>("writes");
        QTest::newRow("users") << int {WinBuiltinUsersSid} << false;
        QTest::newRow("administrators") << int {WinBuiltinAdministratorsSid} << true;
        QTest::newRow("the system") << int {WinLocalSystemSid} << true;
        QTest::newRow("everyone") << int {WinWorldSid} << false;
    }

    void onlyAdministratorsWrite()
    {
        QFETCH(int, group);
        QFETCH(bool, writes);
        const Access access = accessOf(static_cast<WELL_KNOWN_SID_TYPE>(group));
        QVERIFY(access.protectedList);
        QCOMPARE(access.write, writes);
        QCOMPARE(access.read, group != WinWorldSid);
    }

    void madeWhereMissingAndKeptWhereHeld()
    {
        const QTemporaryDir root;
        const QString made = root.filePath(u"ProgramData/Trouvimo"_s);
        QVERIFY(keepComputerFolder(made));
        QVERIFY(QFileInfo(made).isDir());
        QFile held(made + u"/ListeMots.txt"_s);
        QVERIFY(held.open(QIODevice::WriteOnly));
        held.close();
        QVERIFY(keepComputerFolder(made));
        QVERIFY(held.exists());
    }
};

QTEST_GUILESS_MAIN(ComputerFolderTest)
#include "tst_computerfolder.moc"
