#include "iconset.h"

#include <QHash>

// The image list lives in a static library, so its resources are registered on first use.
// (Outside any namespace: the registration function is declared where it is called.)
static void ensureIconResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(icons);
        return true;
    }();
    Q_UNUSED(registered);
}

namespace {

QIcon loadIcon(const QString &baseName)
{
    ensureIconResources();
    return QIcon(QStringLiteral(":/icons/") + baseName + QStringLiteral(".svg"));
}

} // namespace

const QStringList &zelIconKeys()
{
    static const QStringList keys = {
        QStringLiteral("ENGINE"),   QStringLiteral("WSPACE"),    QStringLiteral("CONTROLLER"),
        QStringLiteral("VARIABLE"), QStringLiteral("FILE"),      QStringLiteral("ROBOT"),
        QStringLiteral("TASK"),     QStringLiteral("EXTENSION"), QStringLiteral("ENGINESTATUS"),
        QStringLiteral("COMMAND"),  QStringLiteral("SHOW"),      QStringLiteral("DELETE"),
        QStringLiteral("COPY"),     QStringLiteral("CUT"),       QStringLiteral("PASTE"),
        QStringLiteral("RECSTART"), QStringLiteral("RECPAUSE"),  QStringLiteral("RECSTOP")};
    return keys;
}

QIcon zelIcon(const QString &key)
{
    // Everything runs on the user-interface thread; the cache needs no lock.
    static QHash<QString, QIcon> cache;
    const auto it = cache.constFind(key);
    if (it != cache.constEnd())
        return it.value();
    if (!zelIconKeys().contains(key))
        return QIcon();
    const QIcon icon = loadIcon(key.toLower());
    cache.insert(key, icon);
    return icon;
}

QIcon zelAppIcon()
{
    static const QIcon icon = loadIcon(QStringLiteral("zeltester"));
    return icon;
}
