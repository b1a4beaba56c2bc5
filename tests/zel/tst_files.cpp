// The virtual controller's file tree: the seeded files, content as text or bytes, the
// properties, Copy, Move, Delete and Run, folders and their Files.
#include "zeltest.h"

namespace {
Value bytes(const QByteArray &b)
{
    Array a{VT_UI1, 0, {}};
    for (char c : b)
        a.items.append(Value::fromUI1(quint8(c)));
    return Value::fromArray(a);
}
} // namespace

class TestFiles : public EngineTest {
    Q_OBJECT

private Q_SLOTS:
    void init() { newEngine(); }

    void seededTree()
    {
        QCOMPARE(m_c->fileNames(), (QStringList{"readme.txt", "version.txt", "Main.pgm", "logo.bin", "big.dat", "Programs", "Data"}));
        QCOMPARE(m_c->fileNames("Filter=*.pgm"), QStringList{"Main.pgm"});
        auto readme = m_c->addFile("README.TXT");
        QCOMPARE(readme->path(), u"/readme.txt"_s);
        const Value logo = get(m_c->addFile("logo.bin"), "Value");
        QCOMPARE(logo.type(), quint16(VT_ARRAY | VT_UI1));
        QCOMPARE(logo.arrayValue().items.size(), 20);
        auto programs = m_c->addFile("Programs");
        QCOMPARE(programs->attribute(), 0x10);
        QCOMPARE(programs->fileNames(), (QStringList{"Sub.pgm", "Cycle.pgm"}));
        EXPECT_ERROR_TEXT(programs->value(), E_IS_FOLDER, "/Programs is a folder");
        QCOMPARE(m_c->addFile("Main.pgm")->type(), u"Program"_s);
    }

    void contentAndDates()
    {
        auto f = m_c->addFile("notes.txt");
        QCOMPARE(f->value(), S(""));
        const Date created = f->dateCreated();
        QTest::qWait(5);
        put(f, "Value", S("héllo"));
        QCOMPARE(f->size(), 6); // UTF-8 bytes
        QVERIFY(f->dateLastModified().msecs > created.msecs);
        QCOMPARE(f->dateCreated(), created);
        QTest::qWait(5);
        f->value();
        QVERIFY(f->dateLastAccessed().msecs > f->dateLastModified().msecs);

        // bytes in, bytes out; other types are refused and change nothing
        f->setValue(bytes(QByteArray("\x00\x01\xff", 3)));
        QCOMPARE(f->value(), bytes(QByteArray("\x00\x01\xff", 3)));
        EXPECT_ERROR_TEXT(f->setValue(I(5)), E_TYPE_MISMATCH, "a text (BSTR) or bytes (ARRAY | UI1); got I4");
        QCOMPARE(f->size(), 3);
        EXPECT_ERROR_TEXT(m_c->addFile("version.txt")->setValue(S("2")), E_READ_ONLY, "/version.txt is read-only");

        // Execute on files
        f->setValue(S("a\n"));
        QCOMPARE(f->execute("Append", S("b\n\nc")), I(6));
        QCOMPARE(f->addVariable("@LineCount")->value(), I(3));
    }

    void foldersHoldFiles()
    {
        auto data = m_c->addFile("Data");
        auto f = data->addFile("log.csv", "");
        QCOMPARE(f->path(), u"/Data/log.csv"_s);
        QCOMPARE(data->addFile("LOG.CSV"), f);
        auto sub = data->addFile("Deep", "Folder=true");
        QCOMPARE(sub->type(), u"Folder"_s);
        sub->addFile("x.txt")->setValue(S("12345"));
        QCOMPARE(data->size(), 5);
        EXPECT_ERROR_TEXT(f->addFile("inner"), E_NOT_A_FOLDER, "/Data/log.csv is a file, not a folder");
        EXPECT_ERROR_TEXT(data->addFile("a/b"), E_INVALID_ARG, "path separator");
        EXPECT_ERROR_TEXT(data->addFile("ghost", "Create=false"), E_FILE_NOT_FOUND, "holds no file 'ghost'");
        QCOMPARE(data->fileNames(), (QStringList{"log.csv", "Deep"}));
        // generated names do not collide with files already there
        m_c->addFile("File1");
        QCOMPARE(m_c->addFile("")->name(), u"File2"_s);
    }

    void copyMoveDelete()
    {
        auto readme = m_c->addFile("readme.txt");
        const QString text = readme->value().stringValue();
        // into a folder under its own name, then to a path with a new name
        call(readme, "Copy", {S("Data"), S("")});
        readme->copy("/Data/copy.txt");
        auto data = m_c->addFile("Data");
        QCOMPARE(data->fileNames(), (QStringList{"readme.txt", "copy.txt"}));
        QCOMPARE(data->addFile("copy.txt")->value(), S(text));
        EXPECT_ERROR_TEXT(readme->copy("Data"), E_FILE_EXISTS, "/Data/readme.txt already exists; pass Overwrite=true");
        readme->setValue(S("new"));
        readme->copy("Data", "Overwrite=true");
        QCOMPARE(data->addFile("readme.txt")->value(), S("new"));
        EXPECT_ERROR_TEXT(readme->copy("/Nowhere/x.txt"), E_FILE_NOT_FOUND, "'/Nowhere' of the destination does not exist");

        // Move renames the handle's file and keeps the handle
        readme->move("Programs/intro.txt");
        QCOMPARE(readme->path(), u"/Programs/intro.txt"_s);
        QVERIFY(!m_c->fileNames().contains("readme.txt"));
        QCOMPARE(readme->index(), 0);
        EXPECT_ERROR_TEXT(m_c->addFile("version.txt")->move("Data"), E_READ_ONLY, "read-only");

        // a folder moves with its content, but never into itself
        auto programs = m_c->addFile("Programs");
        EXPECT_ERROR_TEXT(programs->copy("/Programs/Inner"), E_INVALID_ARG, "cannot go into itself");
        programs->move("/Data");
        QCOMPARE(programs->path(), u"/Data/Programs"_s);
        QCOMPARE(readme->path(), u"/Data/Programs/intro.txt"_s);

        // Delete: folders need Recursive, read-only files Force; handles stay but fail
        EXPECT_ERROR_TEXT(programs->deleteFile(), E_FOLDER_NOT_EMPTY, "holds 3 item(s); pass Recursive=true");
        call(programs, "Delete", {S("Recursive=true")});
        QVERIFY(!programs->exists());
        QVERIFY(!readme->exists());
        EXPECT_ERROR_TEXT(readme->value(), E_FILE_NOT_FOUND, "/Data/Programs/intro.txt has been deleted");
        auto version = m_c->addFile("version.txt");
        EXPECT_ERROR_TEXT(version->deleteFile(), E_READ_ONLY, "Force=true");
        version->deleteFile("Force=true");
        QVERIFY(!m_c->fileNames().contains("version.txt"));
        // adding a deleted file's name again re-creates it behind the same handle
        QCOMPARE(m_c->addFile("version.txt"), version);
        QVERIFY(version->exists());
        QCOMPARE(version->size(), 0);
    }

    void runStartsATask()
    {
        auto main = m_c->addFile("Main.pgm");
        QCOMPARE(call(main, "Run", {S("")}), S("Main"));
        auto task = m_c->addTask("Main");
        QCOMPARE(task->status(), int(ZelTask::Running));
        EXPECT_ERROR_TEXT(main->run(), E_TASK_STATE, "task Main is running");
        task->stop(4);
        // a program without a task gets one named after it
        auto cycle = m_c->addFile("Programs")->addFile("Cycle.pgm");
        QCOMPARE(cycle->run("Mode=2"), u"Cycle"_s);
        QCOMPARE(m_c->addTask("Cycle")->fileName(), u"/Programs/Cycle.pgm"_s);
        EXPECT_ERROR_TEXT(m_c->addFile("readme.txt")->run(), E_NOT_A_PROGRAM, "only .pgm files run");
    }
};

QTEST_GUILESS_MAIN(TestFiles)
#include "tst_files.moc"
