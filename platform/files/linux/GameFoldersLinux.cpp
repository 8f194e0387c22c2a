#include "platform/files/GameFolders.h"

#include <QStandardPaths>

namespace trouvimo {

QString familyFolder()
{
    // Without a home there is no folder of the family's own, rather than one under the root.
    const QString userData = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return userData.isEmpty() ? QString() : userData + QStringLiteral("/trouvimo");
}

// The package depends on the system's Comic Neue.
void loadCarriedFonts(const QString& /*dataFolder*/)
{
}

QByteArray newTextLineEnd()
{
    return QByteArrayLiteral("\n");
}

} // namespace trouvimo
