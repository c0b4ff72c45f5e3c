// Draws the program's pictures: the main window's banner (770 x 89), the window
// icon and the add-member dialog's icon. Build the target corvanthel-make-images
// and run it from the source folder; it writes the PNGs beside this file:
//   cmake --build build --target corvanthel-make-images
//   QT_QPA_PLATFORM=offscreen build/bin/corvanthel-make-images ui/resources
// A second folder, when given, receives the desktop menu's icon in the sizes of the
// icon theme (icon-16.png ... icon-256.png), installed with the program:
//   QT_QPA_PLATFORM=offscreen build/bin/corvanthel-make-images ui/resources packaging/icons
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>
#include <string>

namespace {

const QColor kNavy(0x0d, 0x24, 0x45);
const QColor kTeal(0x10, 0x6e, 0x7c);
const QColor kMint(0x8f, 0xe3, 0xd6);

QFont LatinFont(int pixelSize, int weight) {
  QFont font("DejaVu Sans");
  font.setPixelSize(pixelSize);
  font.setWeight(static_cast<QFont::Weight>(weight));
  return font;
}

QFont ChineseFont(int pixelSize) {
  QFont font("WenQuanYi Zen Hei");
  font.setPixelSize(pixelSize);
  return font;
}

// A rounded square with the program's mark: angle brackets around a slash.
void DrawMark(QPainter& painter, const QRectF& box) {
  QLinearGradient fill(box.topLeft(), box.bottomRight());
  fill.setColorAt(0, QColor(0x2f, 0xb5, 0xa8));
  fill.setColorAt(1, QColor(0x1b, 0x5e, 0x9e));
  painter.setPen(Qt::NoPen);
  painter.setBrush(fill);
  painter.drawRoundedRect(box, box.width() * 0.22, box.width() * 0.22);
  QPen pen(Qt::white, box.width() * 0.09, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  const qreal w = box.width(), x = box.left(), y = box.top();
  QPainterPath left;
  left.moveTo(x + w * 0.34, y + w * 0.30);
  left.lineTo(x + w * 0.18, y + w * 0.50);
  left.lineTo(x + w * 0.34, y + w * 0.70);
  QPainterPath right;
  right.moveTo(x + w * 0.66, y + w * 0.30);
  right.lineTo(x + w * 0.82, y + w * 0.50);
  right.lineTo(x + w * 0.66, y + w * 0.70);
  painter.drawPath(left);
  painter.drawPath(right);
  painter.drawLine(QPointF(x + w * 0.56, y + w * 0.26), QPointF(x + w * 0.44, y + w * 0.74));
}

QImage Banner() {
  QImage image(770, 89, QImage::Format_ARGB32);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);

  QLinearGradient background(0, 0, 770, 89);
  background.setColorAt(0, kNavy);
  background.setColorAt(1, kTeal);
  painter.fillRect(image.rect(), background);

  // A faint grid, like a sheet of table columns.
  painter.setPen(QColor(255, 255, 255, 14));
  for (int x = 0; x < 770; x += 22) painter.drawLine(x, 0, x, 89);
  for (int y = 0; y < 89; y += 22) painter.drawLine(0, y, 770, y);

  DrawMark(painter, QRectF(22, 16, 57, 57));

  painter.setPen(Qt::white);
  painter.setFont(LatinFont(34, QFont::Bold));
  painter.drawText(QRectF(94, 8, 330, 46), Qt::AlignLeft | Qt::AlignVCenter, "Corvanthel");
  painter.setPen(kMint);
  painter.setFont(ChineseFont(16));
  painter.drawText(QRectF(96, 52, 360, 26), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromUtf8("三层架构 ASP.NET 网站代码生成器  2.1版"));

  // The three layers the program writes for every class, as stacked cards.
  const char* const layers[] = {"ENTITY", "BLL", "DAL"};
  const char* const captions[] = {"实体层", "业务逻辑层", "数据访问层"};
  for (int i = 0; i < 3; ++i) {
    const QRectF card(500 + i * 12, 11 + i * 23, 220, 20);
    painter.setPen(QPen(QColor(255, 255, 255, 90), 1));
    painter.setBrush(QColor(255, 255, 255, 34 + i * 12));
    painter.drawRoundedRect(card, 5, 5);
    painter.setPen(Qt::white);
    painter.setFont(LatinFont(12, QFont::Bold));
    painter.drawText(card.adjusted(10, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, layers[i]);
    painter.setPen(QColor(255, 255, 255, 210));
    painter.setFont(ChineseFont(12));
    painter.drawText(card.adjusted(0, 0, -10, 0), Qt::AlignRight | Qt::AlignVCenter, QString::fromUtf8(captions[i]));
  }
  return image;
}

QImage Icon(int size) {
  QImage image(size, size, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  DrawMark(painter, QRectF(0, 0, size, size));
  return image;
}

// The add-member dialog's icon: a table column with a plus sign.
QImage MemberIcon() {
  QImage image(32, 32, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(kNavy, 1.5));
  painter.setBrush(Qt::white);
  painter.drawRoundedRect(QRectF(3, 3, 20, 26), 3, 3);
  painter.setBrush(kTeal);
  painter.drawRect(QRectF(3, 3, 20, 7));
  painter.setPen(QPen(kTeal, 1));
  for (int y = 15; y < 29; y += 5) painter.drawLine(6, y, 20, y);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0x2f, 0xb5, 0x6a));
  painter.drawEllipse(QRectF(15, 15, 16, 16));
  painter.setPen(QPen(Qt::white, 2.5, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(23, 18.5), QPointF(23, 27.5));
  painter.drawLine(QPointF(18.5, 23), QPointF(27.5, 23));
  return image;
}

bool Save(const QImage& image, const QDir& folder, const char* name) {
  const QString path = folder.filePath(name);
  if (image.save(path, "PNG")) return true;
  std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
  const bool ok = Save(Banner(), folder, "banner.png") && Save(Icon(64), folder, "icon.png") &&
                  Save(MemberIcon(), folder, "member.png");
  if (!ok) return 1;
  if (argc > 2) {
    const QDir themeFolder(QString::fromLocal8Bit(argv[2]));
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
      const std::string name = "icon-" + std::to_string(size) + ".png";
      if (!Save(Icon(size), themeFolder, name.c_str())) return 1;
    }
  }
  return 0;
}
