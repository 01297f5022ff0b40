// The printed page through the real drawing code: onto an image to look at its
// boxes, and through QPrinter into a PDF file as a printer without hardware.

#include "../scope/scopetestsupport.h"

#include "core/print/printcontent.h"
#include "core/print/printgeometry.h"
#include "ui/print/printjob.h"
#include "ui/print/printlayout.h"
#include "ui/scope/cscope.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace wavix {
namespace {

class PrintPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::app();
        view_.resize(640, 360);
        view_.SetDrawStyle(3028);
        channels_.push_back(test::MakeChannel(1, 4, 6, test::CrankVolts));
        channels_.push_back(test::MakeChannel(2, 8, 6, test::IgnitionVolts));
        for (auto& c : channels_)
            view_.AddChannel(c.get());
        view_.UpdateData();
        view_.SetMessage("Scope zastaven");

        PrintPageContent& c = layout_.Content();
        c.owner = {"Autoservis Novák s.r.o.",
                   "Jan Novák",
                   "Průmyslová 12",
                   "Brno",
                   "602 00",
                   "1",
                   "2",
                   "a@b.cz",
                   "123",
                   "CZ123"};
        c.data[kPrintMeasurementName] = "Volnoběh";
        c.data[kPrintNote] = "Poznámka, která se zalomí.";
        c.settings = PrintSettingsOf(*channels_[0]);
        std::vector<CChannelData*> raw = {channels_[0].get(), channels_[1].get()};
        c.legends = PrintLegendsOf(raw);
        sources_.displays = {&view_};
        sources_.channelCount = 2;
    }

    CPrintTexts texts_;
    CPrintLayout layout_{texts_};
    CScope view_;
    std::vector<std::unique_ptr<CChannelData>> channels_;
    PrintSources sources_;
};

// Ink (anything but white) inside r of the image.
int Ink(const QImage& img, const Rect& r) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            n += (img.pixel(x, y) & 0xFFFFFFu) != 0xFFFFFFu ? 1 : 0;
    return n;
}

TEST_F(PrintPageTest, PageOnAnImageFillsItsBoxesAndLeavesUnusedLegendsEmpty) {
    QImage page(827, 1169, QImage::Format_RGB32); // A4 at 100 dpi
    page.fill(Qt::white);
    {
        QPainter p(&page);
        layout_.DrawPage(p, sources_.displays, false, 2, QDateTime(QDate(2009, 3, 5), QTime(9, 7, 3)));
    }
    test::shoot(page, "print_page.png");
    const PrintPageBoxes boxes = ComputePrintPage(page.width(), page.height());
    EXPECT_GT(Ink(page, boxes.header), 0);
    EXPECT_GT(Ink(page, boxes.name), 0);
    EXPECT_GT(Ink(page, boxes.table), 0);
    EXPECT_GT(Ink(page, boxes.settings), 0);
    EXPECT_GT(Ink(page, boxes.note), 0);
    EXPECT_GT(Ink(page, boxes.footer), 0);
    EXPECT_GT(Ink(page, boxes.legends[0]), 0);
    EXPECT_GT(Ink(page, boxes.legends[1]), 0);
    EXPECT_EQ(Ink(page, boxes.legends[2]), 0); // two channels: boxes 3 and 4 stay blank
    EXPECT_EQ(Ink(page, boxes.legends[3]), 0);
    // Both traces reach the page in their own colours.
    const QRect pictures(boxes.displays.left, boxes.displays.top, boxes.displays.Width(),
                         boxes.displays.Height());
    EXPECT_GT(test::CountColour(page, pictures, channels_[0]->GetColor()), 50);
    EXPECT_GT(test::CountColour(page, pictures, channels_[1]->GetColor()), 50);
    // Each legend carries its channel's colour as the key to the traces.
    for (std::size_t k = 0; k < 2; ++k) {
        const Rect& l = boxes.legends[k];
        EXPECT_GT(
            test::CountColour(page, QRect(l.left, l.top, l.Width(), l.Height()), channels_[k]->GetColor()),
            20)
            << "legend " << k;
    }
    // Nothing outside the boxes, e.g. between the name and the table.
    EXPECT_EQ(Ink(page, Rect{0, boxes.name.bottom, page.width(), boxes.table.top}), 0);

    // The display is as it was: switches back on, its message back.
    EXPECT_TRUE(view_.AreButtonsShown());
    EXPECT_TRUE(view_.IsTriggerMarkerShown());
    EXPECT_TRUE(view_.AreLabelsShown());
    EXPECT_EQ(view_.GetMessage(), "Scope zastaven");
}

// A trace hidden on screen is neither printed nor listed; the ink-saving page
// puts the pictures on white with a dark grid and leaves the view's colours alone.
TEST_F(PrintPageTest, HiddenChannelLeavesTheTableAndInkSavingWhitensThePictures) {
    channels_[0]->SetShown(false);
    std::vector<CChannelData*> raw = {channels_[0].get(), channels_[1].get()};
    const std::vector<PrintChannelLegend> legends = PrintLegendsOf(raw);
    ASSERT_EQ(legends.size(), 1u);
    EXPECT_EQ(legends[0].channel, channels_[1]->GetChannel());
    channels_[0]->SetShown(true);

    const std::uint32_t background = view_.GetBackgroundColour();
    const std::uint32_t grid = view_.GetGridColour();
    ASSERT_NE(background, kInkSavingBackground);
    layout_.SetInkSaving(true);
    QImage page(827, 1169, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter p(&page);
        layout_.DrawPage(p, sources_.displays, false, 2, QDateTime::currentDateTime());
    }
    test::shoot(page, "print_page_inksaving.png");
    const Rect d = ComputePrintPage(page.width(), page.height()).displays;
    const QRect pictures(d.left, d.top, d.Width(), d.Height());
    EXPECT_GT(test::CountColour(page, pictures, kInkSavingBackground), d.Width() * d.Height() / 2);
    EXPECT_EQ(test::CountColour(page, pictures, background), 0);
    EXPECT_GT(test::CountColour(page, pictures, kInkSavingGrid), 50);
    EXPECT_GT(test::CountColour(page, pictures, channels_[0]->GetColor()), 50);
    EXPECT_EQ(view_.GetBackgroundColour(), background);
    EXPECT_EQ(view_.GetGridColour(), grid);
}

TEST_F(PrintPageTest, PerChannelDisplaysEachFillTheirStrip) {
    CScope second;
    second.resize(640, 360);
    second.SetBackgroundColour(0x00FFFFFF);
    QImage page(827, 1169, QImage::Format_RGB32);
    page.fill(Qt::white);
    std::vector<CScope*> displays = {&view_, &second};
    {
        QPainter p(&page);
        layout_.DrawPage(p, displays, true, 2, QDateTime::currentDateTime());
    }
    const auto strips = PrintDisplayStrips(ComputePrintPage(page.width(), page.height()).displays, true, 2);
    ASSERT_EQ(strips.size(), 2u);
    // The first view's black background fills strip 1 only.
    const auto black = [&](const Rect& r) {
        return test::CountColour(page, QRect(r.left, r.top, r.Width(), r.Height()), 0x00000000);
    };
    EXPECT_GT(black(strips[0]), strips[0].Width() * strips[0].Height() / 2);
    EXPECT_LT(black(strips[1]), strips[1].Width() * strips[1].Height() / 10);
}

int PdfPages(const QByteArray& pdf) {
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![s\\w])"));
    int n = 0;
    for (auto it = page.globalMatch(QString::fromLatin1(pdf)); it.hasNext(); it.next())
        ++n;
    return n;
}

TEST_F(PrintPageTest, PdfPrinterGetsOnePage) {
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setOutputFileName(dir.filePath(QStringLiteral("page.pdf")));
    EXPECT_EQ(CPrintJob::PrintPage(printer, layout_, sources_), PrintOutcome::Printed);
    QFile file(printer.outputFileName());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    EXPECT_TRUE(pdf.startsWith("%PDF"));
    EXPECT_GT(pdf.size(), 10000);
    EXPECT_EQ(PdfPages(pdf), 1);
}

} // namespace
} // namespace wavix
