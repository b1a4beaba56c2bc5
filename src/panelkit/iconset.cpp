#include "iconset.h"

#include "kinds.h"

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
    static const QStringList keys = [] {
        // The images of the panel kinds (kinds.h), then the status monitor's and the toolbar's.
        QStringList k;
        for (const KindInfo &row : kinds::kRows) {
            if (*row.image)
                k << QLatin1String(row.image);
        }
        for (const char *key : {"ENGINESTATUS", "SHOW", "DELETE", "COPY", "CUT", "PASTE", "RECSTART", "RECPAUSE",
                                "RECSTOP"})
            k << QLatin1String(key);
        return k;
    }();
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
