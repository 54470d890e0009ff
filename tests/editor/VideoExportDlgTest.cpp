// File > Export Video: the options dialog's widgets, an export cancelled from its progress
// dialog, and the whole command from the main window's menu with scripted file dialogs.
#include "EditorHarness.h"

#include "editor/CMainDlg.h"
#include "editor/CVideoExportDlg.h"
#include "editor/DialogService.h"
#include "editor/VideoExportCommand.h"
#include "export/MovieExport.h"
#include "model/Archive.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using namespace tavro;
using namespace tavro::editor;
using video::VideoFormat;
using Length = video::VideoExportOptions::Length;

namespace {

std::vector<uint8_t> LettersSwf() {
    CDocObj doc;
    QFile f(QStringLiteral(TAVRO_SOURCE_DIR "/examples/letters.swi"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = f.readAll();
    LoadObjectFromMemory(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()),
                                                  size_t(bytes.size())),
                         doc);
    return ExportMovieToMemory(doc);
}

// Runs `step` on each turn of the event loop until it returns true (a modal dialog's own loop
// keeps turning it).
void WhenReady(std::function<bool()> step) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, step] {
        if (step())
            timer->deleteLater();
    });
    timer->start();
}

} // namespace

class VideoExportDlgTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { editor_ = std::make_unique<EditorHarness>(); }

    void cleanup() { editor_.reset(); }

    void formatDecidesSoundAndTransparency() {
        CVideoExportDlg dlg(550, 400, 12);
        QCOMPARE(dlg.Format(), VideoFormat::Mp4);
        QCOMPARE(dlg.WidthBox()->value(), 550);
        QCOMPARE(dlg.HeightBox()->value(), 400);
        QVERIFY(dlg.UntilStopButton()->isChecked());
        QVERIFY(dlg.SoundBox()->isEnabled() && dlg.SoundBox()->isChecked());
        QVERIFY(!dlg.TransparentBox()->isEnabled());
        video::VideoExportOptions o = dlg.Options();
        QCOMPARE(o.format, std::optional(VideoFormat::Mp4));
        QCOMPARE(o.rate, (video::VideoRate{12, 1}));
        QCOMPARE(o.length, Length::UntilStop);
        QVERIFY(o.sound && !o.transparent && o.highQuality);

        // A GIF has no sound but may be transparent; back to MP4 the transparency goes.
        dlg.FormatBox()->setCurrentIndex(2);
        QCOMPARE(dlg.Format(), VideoFormat::Gif);
        QVERIFY(!dlg.SoundBox()->isEnabled());
        QVERIFY(dlg.TransparentBox()->isEnabled());
        QTest::mouseClick(dlg.TransparentBox(), Qt::LeftButton);
        QVERIFY(dlg.Options().transparent);
        dlg.SetFormat(VideoFormat::Mp4);
        QVERIFY(!dlg.TransparentBox()->isChecked());
        QVERIFY(!dlg.Options().transparent);
    }

    void sizeRateAndLength() {
        CVideoExportDlg dlg(550, 400, 12);
        // The height follows the width while the proportions are kept, and not after.
        dlg.WidthBox()->setValue(275);
        QCOMPARE(dlg.HeightBox()->value(), 200);
        dlg.HeightBox()->setValue(1080);
        QCOMPARE(dlg.WidthBox()->value(), 1485);
        dlg.KeepProportionsBox()->setChecked(false);
        dlg.WidthBox()->setValue(1920);
        QCOMPARE(dlg.HeightBox()->value(), 1080);

        // A typed rate; one that is not a number, or too fast for a GIF, blocks the export.
        QPushButton* ok = dlg.Buttons()->button(QDialogButtonBox::Ok);
        dlg.RateBox()->setEditText(QStringLiteral("29.97"));
        QVERIFY(ok->isEnabled());
        QCOMPARE(dlg.Options().rate, (video::VideoRate{2997, 100}));
        dlg.RateBox()->setEditText(QStringLiteral("fast"));
        QVERIFY(!ok->isEnabled());
        QVERIFY(dlg.Problem().contains(QStringLiteral("frame rate")));
        dlg.RateBox()->setCurrentIndex(dlg.RateBox()->findData(QStringLiteral("60")));
        QVERIFY(ok->isEnabled());
        dlg.SetFormat(VideoFormat::Gif);
        QVERIFY(!ok->isEnabled());
        QVERIFY(dlg.Problem().contains(QStringLiteral("1 to 50")));
        dlg.RateBox()->setCurrentIndex(0);
        QVERIFY(ok->isEnabled());

        QTest::mouseClick(dlg.LoopsButton(), Qt::LeftButton);
        QVERIFY(dlg.LoopsBox()->isEnabled() && !dlg.FramesBox()->isEnabled());
        dlg.LoopsBox()->setValue(3);
        video::VideoExportOptions o = dlg.Options();
        QCOMPARE(o.length, Length::Loops);
        QCOMPARE(o.loops, 3);
        QCOMPARE(o.width, 1920);
        QCOMPARE(o.height, 1080);
        dlg.FramesButton()->setChecked(true);
        dlg.FramesBox()->setValue(48);
        dlg.QualityBox()->setCurrentIndex(1);
        o = dlg.Options();
        QCOMPARE(o.length, Length::Frames);
        QCOMPARE(o.frames, int64_t(48));
        QVERIFY(!o.highQuality);
    }

    // Cancel in the progress dialog stops the export; nothing is left in the folder.
    void cancelledExportLeavesNothing() {
        const std::vector<uint8_t> swf = LettersSwf();
        QVERIFY(!swf.empty());
        QWidget window;
        window.show();
        const QString folder = editor_->Folder().filePath(QStringLiteral("out"));
        QVERIFY(QDir().mkpath(folder));
        for (const char* name : {"long.mp4", "long.gif"}) {
            video::VideoExportOptions options;
            options.output = (folder + QStringLiteral("/") + QLatin1String(name)).toStdString();
            options.width = 110;
            options.length = Length::Loops;
            options.loops = 100;
            bool clicked = false;
            WhenReady([&] {
                auto* progress =
                    window.findChild<QProgressDialog*>(QStringLiteral("VideoExportProgress"));
                if (progress == nullptr || !progress->isVisible() || progress->value() < 3)
                    return false;
                QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
                clicked = true;
                return true;
            });
            VideoExportCommand command(&window, Dialogs(), editor_->Settings());
            const video::VideoExportResult result = command.Export(swf, options);
            QVERIFY(clicked);
            QVERIFY(result.cancelled);
            QVERIFY(!result.ok);
            QVERIFY(QDir(folder)
                        .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                        .isEmpty());
            QVERIFY(Dialogs().shown.empty()); // a cancel is no error
        }
    }

    // File > Export Video from the main window: the options, the save dialog, the file, and
    // the folder remembered for next time.
    void exportFromTheMenuWritesTheFileAndRemembersTheFolder() {
        CMainDlg& main = editor_->Main();
        main.show();
        QAction* command = main.Action(CMainDlg::Command::ExportVideo);
        QVERIFY(command != nullptr && command->isEnabled());
        QVERIFY(main.MenuOf(CMainDlg::Menu::File)->actions().contains(command));

        const QString folder = editor_->Folder().filePath(QStringLiteral("videos"));
        QVERIFY(QDir().mkpath(folder));
        Dialogs().fileAnswers.push_back(folder + QStringLiteral("/movie")); // no extension given
        WhenReady([] {
            auto* dlg = qobject_cast<CVideoExportDlg*>(QApplication::activeModalWidget());
            if (dlg == nullptr)
                return false;
            dlg->SetFormat(VideoFormat::Apng);
            dlg->WidthBox()->setValue(110);
            dlg->FramesButton()->setChecked(true);
            dlg->FramesBox()->setValue(4);
            QTest::mouseClick(dlg->Buttons()->button(QDialogButtonBox::Ok), Qt::LeftButton);
            return true;
        });
        command->trigger();

        QCOMPARE(Dialogs().shown.size(), size_t(1));
        const FileDialogRequest& asked = Dialogs().shown[0].request;
        QCOMPARE(asked.title, QStringLiteral("Export Video"));
        QCOMPARE(asked.fileName, QStringLiteral("Untitled.apng"));
        QCOMPARE(asked.defaultSuffix, QStringLiteral("apng"));
        QVERIFY(QFile::exists(folder + QStringLiteral("/movie.apng")));
        QCOMPARE(QString::fromStdString(editor_->Settings().GetString("Video", "Folder")),
                 folder + QStringLiteral("/"));

        // Next time the save dialog opens there; a cancelled save writes nothing.
        WhenReady([] {
            auto* dlg = qobject_cast<CVideoExportDlg*>(QApplication::activeModalWidget());
            if (dlg == nullptr)
                return false;
            QTest::mouseClick(dlg->Buttons()->button(QDialogButtonBox::Ok), Qt::LeftButton);
            return true;
        });
        command->trigger();
        QCOMPARE(Dialogs().shown.size(), size_t(2));
        QCOMPARE(Dialogs().shown[1].request.folder, folder + QStringLiteral("/"));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

private:
    ScriptedDialogService& Dialogs() { return editor_->Dialogs(); }

    std::unique_ptr<EditorHarness> editor_;
};

QTEST_MAIN(VideoExportDlgTest)
#include "VideoExportDlgTest.moc"
