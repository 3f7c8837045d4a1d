#pragma once

#include "platform/fs/Volumes.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

// A mount table and disk links of the test's own, so that a folder of its tree is a volume
// with a UUID and a label, mounted wherever the test says; the system's root comes first.
class FakeMounts
{
public:
    explicit FakeMounts(const QString &dir)
        : dir_(dir)
    {
        for (const char *folder : {"disk/by-uuid", "disk/by-label", "dev"})
            QDir().mkpath(dir_ + '/' + folder);
        lines_ << "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw";
    }

    // A device (a file under dev/) mounted at mountPoint; an empty uuid or label has no link.
    // root is the device's folder mounted there: "/" for its top, another for a bind mount.
    void mount(const QString &mountPoint, const QString &device, const QString &uuid,
               const QString &label, const QString &root = QStringLiteral("/"))
    {
        const QString node = dir_ + "/dev/" + device;
        QFile(node).open(QIODevice::WriteOnly);
        link("by-uuid", uuid, device);
        link("by-label", label, device);
        QString escaped = mountPoint;
        escaped.replace(' ', "\\040");
        QString escapedRoot = root;
        escapedRoot.replace(' ', "\\040");
        lines_ << QString("%1 22 8:%1 %2 %3 rw,nosuid shared:9 - vfat %4 rw,fmask=0022")
                          .arg(40 + lines_.size())
                          .arg(escapedRoot, escaped, node);
        QFile table(dir_ + "/mountinfo");
        table.open(QIODevice::WriteOnly | QIODevice::Truncate);
        table.write(lines_.join('\n').toUtf8() + '\n');
    }

    // Takes every mount back but the root's, and the links with them.
    void unmountAll()
    {
        lines_ = lines_.mid(0, 1);
        for (const char *folder : {"disk/by-uuid", "disk/by-label"})
            for (const QString &name :
                 QDir(dir_ + '/' + folder)
                         .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
                QFile::remove(dir_ + '/' + folder + '/' + name);
    }

    fs::VolumeSource source() const
    {
        fs::VolumeSource source;
        source.mountInfo = dir_ + "/mountinfo";
        source.diskLinks = dir_ + "/disk";
        source.space = [](const QString &) {
            return fs::VolumeSpace{64'000'000, 16'000'000};
        };
        return source;
    }

private:
    void link(const char *kind, const QString &name, const QString &device)
    {
        if (!name.isEmpty())
            QFile::link("../../dev/" + device, dir_ + "/disk/" + kind + '/' + name);
    }

    QString dir_;
    QStringList lines_;
};
