// Every glyph the windows show draws, at the sizes they show it, at 100 % and 200 % display
// scale: on Linux through Qt's SVG engine, on Windows through the PNGs rendered at build time.
#include <QDir>
#include <QIcon>
#include <QImage>
#include <QTest>
#include <algorithm>

namespace {

// Every glyph in the resources, as the forms and the code name them.
QStringList Glyphs() {
  QStringList glyphs;
  for (const QString folder : {QStringLiteral(":/glyphs_main"), QStringLiteral(":/glyphs_dialogs")}) {
    const QDir dir(folder);
    for (const QString& name : dir.entryList({QStringLiteral("*.svg")}, QDir::Files))
      glyphs << dir.filePath(name);
  }
  return glyphs;
}

// How many pixels of the image are not fully transparent.
int Inked(const QImage& image) {
  int inked = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) inked += qAlpha(image.pixel(x, y)) > 0;
  return inked;
}

}  // namespace

class GlyphsTest : public QObject {
  Q_OBJECT

 private slots:
  void EveryGlyphDrawsAtEachSizeAndScale() {
    const QStringList glyphs = Glyphs();
    QVERIFY2(glyphs.size() >= 19, qPrintable(glyphs.join(' ')));
    for (const QString& glyph : glyphs) {
      const QIcon icon(glyph);
      const bool logo = glyph.contains(QLatin1String("logo"));
      const QList<QSize> sizes = logo ? QList<QSize>{QSize(210, 65)}
                                      : QList<QSize>{QSize(16, 16), QSize(28, 28), QSize(32, 32)};
      for (const QSize& size : sizes) {
        for (const qreal scale : {1.0, 2.0}) {
          const QPixmap pixmap = icon.pixmap(size, scale);
          const QString what = QStringLiteral("%1 at %2 px, scale %3").arg(glyph).arg(size.width()).arg(scale);
          QVERIFY2(!pixmap.isNull(), qPrintable(what));
          // Drawn for the screen's pixels, not blown up from the 100 % picture.
          QCOMPARE(pixmap.size(), size * scale);
          const QImage image = pixmap.toImage();
          QVERIFY2(Inked(image) > image.width() * image.height() / 20, qPrintable(what));
        }
      }
    }
  }

  void OnWindowsEachShownSizeIsRenderedNotScaled() {
#ifndef Q_OS_WIN
    QSKIP("Windows draws the glyphs from rendered PNGs; here Qt's SVG engine draws any size");
#else
    for (const QString& glyph : Glyphs()) {
      const QList<QSize> available = QIcon(glyph).availableSizes();
      const bool logo = glyph.contains(QLatin1String("logo"));
      const QList<int> widths = logo ? QList<int>{210, 420} : QList<int>{16, 28, 32, 56, 64};
      for (const int width : widths) {
        const bool found = std::any_of(available.begin(), available.end(),
                                       [width](const QSize& s) { return s.width() == width; });
        QVERIFY2(found, qPrintable(QStringLiteral("%1 has no %2 px rendering").arg(glyph).arg(width)));
      }
    }
#endif
  }

  void ADisabledGlyphLooksDifferent() {
    const QIcon icon(QStringLiteral(":/glyphs_main/run.svg"));
    const QImage normal = icon.pixmap(QSize(28, 28), 1.0, QIcon::Normal).toImage();
    const QImage disabled = icon.pixmap(QSize(28, 28), 1.0, QIcon::Disabled).toImage();
    QVERIFY(!disabled.isNull());
    QVERIFY(normal.convertToFormat(QImage::Format_ARGB32) !=
            disabled.convertToFormat(QImage::Format_ARGB32));
  }
};

QTEST_MAIN(GlyphsTest)
#include "glyphs_test.moc"
