// The job directories: which names may be joined to them, and which caches may be removed.

#include "transferrig.h"

#include "transfer/jobcaches.h"
#include "transfer/jobfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kelvo::transfer;

TEST(JobFiles, OnlyPlainNamesAreJoinedToAJobDirectory) {
    const struct {
        QString name;
        bool plain;
    } kNames[] = {{"PROG.JBR", true},
                  {"程序.JBR", true},
                  {".hidden", true},
                  {"..x", true},
                  {"", false},
                  {".", false},
                  {"..", false},
                  {"../x", false},
                  {"a/b", false},
                  {"/etc/x", false},
                  {"..\\x", false},
                  {"C:x", false},
                  {QStringLiteral("a") + QChar(0) + QStringLiteral("b"), false},
                  {QString(255, 'a'), true},
                  {QString(256, 'a'), false}};
    for (const auto& entry : kNames)
        EXPECT_EQ(isPlainFileName(entry.name), entry.plain) << entry.name.toStdString();
}

TEST(JobFiles, DigestsNeverFollowALinkOutOfTheJobDirectory) {
    QTemporaryDir temp;
    writeFile(temp.filePath("empty"), QByteArray());
    writeFile(temp.filePath("abc"), "abc");
    ASSERT_TRUE(QFile::link(temp.filePath("abc"), temp.filePath("link")));
    EXPECT_EQ(fileMd5(temp.filePath("empty")), QString("d41d8cd98f00b204e9800998ecf8427e"));
    EXPECT_EQ(fileMd5(temp.filePath("abc")), QString("900150983cd24fb0d6963f7d28e17f72"));
    EXPECT_FALSE(fileMd5(temp.filePath("link")));
    EXPECT_FALSE(fileMd5(temp.filePath("missing")));
}

TEST(JobCaches, OnlyCachesTheLibraryMadeAreEverRemoved) {
    QTemporaryDir temp;
    const QString app = temp.filePath("app");
    const QString outside = temp.filePath("outside");
    writeFile(outside + "/precious", "keep");
    QDir().mkpath(app);

    prepareJobCache(app, "0123456789ABCDEF");
    EXPECT_TRUE(QDir(app + "/0123456789ABCDEF/robotJob/R4").exists());
    writeFile(app + "/0123456789ABCDEF/robotJob/R1/P.JBR", "job");
    // A link inside a cache is removed, never what it points to.
    ASSERT_TRUE(QFile::link(outside, app + "/0123456789ABCDEF/robotJob/R1/out"));
    // Directories the library did not make, whatever their names.
    writeFile(app + "/FEDCBA9876543210/data", "user");
    writeFile(app + "/robotJob/R1/LOCAL.JBR", "job");
    ASSERT_TRUE(QFile::link(app + "/0123456789ABCDEF", app + "/LINKLINKLINKLINK"));

    removeForeignJobCaches(app, "0123456789ABCDEF");
    EXPECT_TRUE(QFile::exists(app + "/0123456789ABCDEF/robotJob/R1/P.JBR")) << "kept: its own";

    removeForeignJobCaches(app, "another controlr");
    EXPECT_FALSE(QFileInfo::exists(app + "/0123456789ABCDEF"));
    EXPECT_EQ(readFile(outside + "/precious"), "keep");
    EXPECT_EQ(readFile(app + "/FEDCBA9876543210/data"), "user");
    EXPECT_EQ(readFile(app + "/robotJob/R1/LOCAL.JBR"), "job");

    // Without an identifier the job directories are the application's own, and made if missing.
    prepareJobCache(app, QString());
    EXPECT_TRUE(QDir(app + "/robotJob/R3").exists());
    EXPECT_EQ(jobCacheRoot(app, QString()), app);
    EXPECT_EQ(jobCacheRoot(app, "../up"), app);
}
