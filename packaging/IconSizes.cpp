// Build tool: scales the program's icon to the sizes of the desktop's icon
// theme. Usage: icon-sizes SOURCE.png OUTPUT_FOLDER SIZE...
// Writes OUTPUT_FOLDER/<SIZE>x<SIZE>/merivane.png for every size.

#include <QDir>
#include <QImage>
#include <QString>
#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[]) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s SOURCE.png OUTPUT_FOLDER SIZE...\n", argv[0]);
        return 2;
    }
    const QImage source(QString::fromLocal8Bit(argv[1]));
    if (source.isNull()) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
        return 1;
    }
    if (source.width() != source.height()) {
        std::fprintf(stderr, "%s: %s is not square\n", argv[0], argv[1]);
        return 1;
    }
    const QDir output(QString::fromLocal8Bit(argv[2]));
    for (int i = 3; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        if (size <= 0) {
            std::fprintf(stderr, "%s: bad size %s\n", argv[0], argv[i]);
            return 2;
        }
        const QString folder = QString("%1x%1").arg(size);
        const QString file = output.filePath(folder + "/merivane.png");
        const QImage scaled =
            source.convertToFormat(QImage::Format_ARGB32)
                .scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (!output.mkpath(folder) || !scaled.save(file, "PNG")) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], qPrintable(file));
            return 1;
        }
    }
    return 0;
}
