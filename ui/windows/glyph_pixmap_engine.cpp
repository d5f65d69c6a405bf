// The glyphs on Windows. Qt for Windows is built here without Qt SVG (its source package is not to
// be had), so no SVG icon engine draws the glyphs there. Instead the build renders every SVG glyph
// on the host (rsvg-convert) into PNGs at each size the windows show it, at 100 %, 125 %, 150 %
// and 200 % display scale, and puts them in the resources as ":/glyph_pixmaps/<glyph path>/<width>.png".
// This icon engine stands in for the SVG engine under the same key, so the forms and the code keep
// naming ":/glyphs_main/run.svg": it serves the rendered PNG of the size asked for, and scales only
// when a size was never rendered. Rendering at build time, rather than committing PNGs, keeps the
// SVGs the one source of every glyph.
#include <QApplication>
#include <QDir>
#include <QIconEngine>
#include <QIconEnginePlugin>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>
#include <QtPlugin>
#include <algorithm>
#include <vector>

namespace {

class GlyphPixmapEngine final : public QIconEngine {
 public:
  GlyphPixmapEngine() = default;
  GlyphPixmapEngine(const GlyphPixmapEngine&) = default;

  void addFile(const QString& fileName, const QSize&, QIcon::Mode, QIcon::State) override {
    QString path = fileName;
    if (path.startsWith(QLatin1String(":/"))) path = path.mid(2);
    const QDir folder(QStringLiteral(":/glyph_pixmaps/") + path);
    for (const QString& name : folder.entryList({QStringLiteral("*.png")}, QDir::Files)) {
      QPixmap pixmap(folder.filePath(name));
      if (!pixmap.isNull()) pixmaps_.push_back(pixmap);
    }
    std::sort(pixmaps_.begin(), pixmaps_.end(),
              [](const QPixmap& a, const QPixmap& b) { return a.width() < b.width(); });
  }

  void addPixmap(const QPixmap& pixmap, QIcon::Mode, QIcon::State) override {
    pixmaps_.push_back(pixmap);
    std::sort(pixmaps_.begin(), pixmaps_.end(),
              [](const QPixmap& a, const QPixmap& b) { return a.width() < b.width(); });
  }

  // The rendered size that fits `size` exactly, or the smallest larger one scaled down (the
  // largest scaled up when none is larger), keeping the glyph's proportions.
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
    if (pixmaps_.empty() || size.isEmpty()) return {};
    const QSize wanted = actualSize(size, mode, QIcon::Off);
    auto best = std::find_if(pixmaps_.begin(), pixmaps_.end(), [&](const QPixmap& p) {
      return p.width() >= wanted.width() && p.height() >= wanted.height();
    });
    QPixmap result = best == pixmaps_.end() ? pixmaps_.back() : *best;
    if (result.size() != wanted)
      result = result.scaled(wanted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (mode != QIcon::Normal) {
      if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        QStyleOption option;
        option.palette = QApplication::palette();
        const QPixmap styled = app->style()->generatedIconPixmap(mode, result, &option);
        if (!styled.isNull()) result = styled;
      }
    }
    return result;
  }

  QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
    if (pixmaps_.empty()) return {};
    return pixmaps_.back().size().scaled(size, Qt::KeepAspectRatio);
  }

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    const qreal scale = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    QPixmap pm = pixmap(rect.size() * scale, mode, state);
    pm.setDevicePixelRatio(scale);
    const QSize shown = pm.deviceIndependentSize().toSize();
    painter->drawPixmap(QRect(rect.center() - QPoint(shown.width() / 2, shown.height() / 2), shown),
                        pm);
  }

  QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
    QList<QSize> sizes;
    for (const QPixmap& p : pixmaps_) sizes.push_back(p.size());
    return sizes;
  }

  QString key() const override { return QStringLiteral("corvane-glyph-pixmaps"); }
  QIconEngine* clone() const override { return new GlyphPixmapEngine(*this); }

 private:
  std::vector<QPixmap> pixmaps_;  // by width, smallest first
};

}  // namespace

class GlyphPixmapEnginePlugin : public QIconEnginePlugin {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID QIconEngineFactoryInterface_iid FILE "glyph_pixmap_engine.json")

 public:
  QIconEngine* create(const QString&) override { return new GlyphPixmapEngine; }
};

Q_IMPORT_PLUGIN(GlyphPixmapEnginePlugin)

#include "glyph_pixmap_engine.moc"
