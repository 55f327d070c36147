// Renders the program's pictures from resources/svg into resources/picture,
// the files that resources/pictures.qrc compiles in. Run it after editing an
// SVG (tools/render-icons.sh); the output is committed.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTextStream>

#include <iterator>
#include <vector>

namespace {
struct Picture
{
    const char *svg;
    const char *out;     // path below resources/picture
    int size;
};

const Picture kPictures[] = {
    {"download", "download.png", 64},
    {"go", "go.png", 64},
    {"tap", "tap.png", 64},
    {"exxport", "exxport.png", 64},
    {"set", "set.png", 64},
    {"question_check", "images/question_check.png", 64},
    {"history", "history.png", 64},
    {"right", "images/right.png", 64},
    {"left", "images/left.png", 64},
    {"battle0", "battle/battle0.png", 128},
    {"battle1", "battle/battle1.png", 128},
    {"battle2", "battle/battle2.png", 128},
    {"battle3", "battle/battle3.png", 128},
    {"battle4", "battle/battle4.png", 128},
    {"empty", "battle/empty.png", 128},
    {"ovra", "icon/ovra.ico", 64},
};

// The desktop icon at the hicolor theme's sizes, below resources/icons (the
// install puts them into share/icons/hicolor; the SVG itself is the
// scalable one).
const int kAppIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
const char kAppIconSvg[] = "ovra";
const char kAppIconName[] = "aq7316-logger.png";
} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 3) {
        err << "usage: render-icons SVG_DIR OUT_DIR\n";
        return 2;
    }
    const QDir in(QString::fromLocal8Bit(argv[1]));
    const QDir out(QString::fromLocal8Bit(argv[2]));
    std::vector<Picture> pictures(std::begin(kPictures), std::end(kPictures));
    std::vector<QByteArray> appIconPaths;
    for (int size : kAppIconSizes)
        appIconPaths.push_back(QStringLiteral("../icons/hicolor/%1x%1/apps/%2")
                                   .arg(size).arg(QLatin1String(kAppIconName)).toLatin1());
    for (size_t i = 0; i < appIconPaths.size(); ++i)
        pictures.push_back({kAppIconSvg, appIconPaths[i].constData(), kAppIconSizes[i]});
    for (const Picture &p : pictures) {
        QSvgRenderer svg(in.filePath(QString::fromLatin1(p.svg) + ".svg"));
        if (!svg.isValid()) {
            err << "cannot read " << p.svg << ".svg\n";
            return 1;
        }
        QImage img(p.size, p.size, QImage::Format_ARGB32);
        img.fill(Qt::transparent);
        QPainter painter(&img);
        painter.setRenderHint(QPainter::Antialiasing);
        svg.render(&painter);
        painter.end();
        const QString path = QDir::cleanPath(out.filePath(QString::fromLatin1(p.out)));
        QDir().mkpath(QFileInfo(path).path());
        if (!img.save(path)) {
            err << "cannot write " << path << "\n";
            return 1;
        }
    }
    return 0;
}
