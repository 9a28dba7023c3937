#include "print/PdfParts.h"

#include <qpdf/Buffer.hh>
#include <qpdf/Pipeline.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <algorithm>
#include <map>
#include <memory>
#include <string>

namespace tessel::print {

int pdfPartCount(int pages, int cores) {
    return std::max(1, std::min(cores, pages / kMinPagesPerPart));
}

namespace {

// Hands the joined file's bytes to a device. A device that refuses bytes keeps its error;
// the writer goes on and the caller finds the error there.
class DevicePipeline : public Pipeline {
public:
    explicit DevicePipeline(QIODevice &out) : Pipeline("pdf output", nullptr), m_out(out) {}
    void write(unsigned char const *data, size_t len) override {
        m_out.write(reinterpret_cast<const char *>(data), qint64(len));
    }
    void finish() override {}

private:
    QIODevice &m_out;
};

std::string rawData(QPDFObjectHandle stream) {
    if (!stream.isStream()) {
        return {};
    }
    const std::shared_ptr<Buffer> data = stream.getRawStreamData();
    return std::string(reinterpret_cast<const char *>(data->getBuffer()), data->getSize());
}

// What makes two of the writer's Type 0 fonts the same font: the font program, the widths
// and the character map. The names differ between parts (the writer tags a subset after its
// object number) and are left out.
std::string fontKey(QPDFObjectHandle font) {
    if (!font.isDictionary() || font.getKey("/Subtype").unparse() != "/Type0") {
        return {};
    }
    QPDFObjectHandle descendants = font.getKey("/DescendantFonts");
    if (!descendants.isArray() || descendants.getArrayNItems() != 1) {
        return {};
    }
    QPDFObjectHandle cidFont = descendants.getArrayItem(0);
    QPDFObjectHandle descriptor = cidFont.getKey("/FontDescriptor");
    const std::string program = rawData(descriptor.getKey("/FontFile2"));
    if (program.empty()) {
        return {};
    }
    std::string key = program;
    for (const std::string &part :
         {cidFont.getKey("/W").unparseResolved(), rawData(font.getKey("/ToUnicode")),
          rawData(descriptor.getKey("/CIDSet")), font.getKey("/Encoding").unparse()}) {
        key += '\n' + std::to_string(part.size()) + '\n' + part;
    }
    return key;
}

// Points every page's font resources at the first of the fonts that are alike; the others
// are no longer referenced and are not written.
void shareAlikeFonts(QPDF &pdf) {
    std::map<std::string, QPDFObjectHandle> first;  // key -> the font kept
    std::map<QPDFObjGen, QPDFObjectHandle> kept;    // each font -> the one it is written as
    for (QPDFPageObjectHelper &page : QPDFPageDocumentHelper(pdf).getAllPages()) {
        QPDFObjectHandle fonts = page.getObjectHandle().getKey("/Resources").getKey("/Font");
        if (!fonts.isDictionary()) {
            continue;
        }
        for (const std::string &name : fonts.getKeys()) {
            QPDFObjectHandle font = fonts.getKey(name);
            if (!font.isIndirect()) {
                continue;
            }
            auto known = kept.find(font.getObjGen());
            if (known == kept.end()) {
                const std::string key = fontKey(font);
                QPDFObjectHandle as = font;
                if (!key.empty()) {
                    as = first.emplace(key, font).first->second;
                }
                known = kept.emplace(font.getObjGen(), as).first;
            }
            if (known->second.getObjGen() != font.getObjGen()) {
                fonts.replaceKey(name, known->second);
            }
        }
    }
}

}  // namespace

void joinPdfParts(const std::vector<PdfPartPages> &parts, QIODevice &out) {
    // The parts stay open until the joined file is written: their streams' data is read
    // from them only then.
    std::vector<std::unique_ptr<QPDF>> pdfs;
    std::vector<std::vector<QPDFPageObjectHelper>> kept;
    for (const PdfPartPages &part : parts) {
        pdfs.push_back(std::make_unique<QPDF>());
        pdfs.back()->processFile(part.path.toLocal8Bit().constData());
        const std::vector<QPDFPageObjectHelper> all =
            QPDFPageDocumentHelper(*pdfs.back()).getAllPages();
        kept.emplace_back();
        for (const int page : part.pages)
            kept.back().push_back(all.at(std::size_t(page)));
    }
    // The first part is the joined file: its other pages go, the other parts' pages follow.
    QPDF &joined = *pdfs.front();
    QPDFPageDocumentHelper pages(joined);
    for (QPDFPageObjectHelper &page : pages.getAllPages()) {
        const bool keep = std::any_of(kept[0].begin(), kept[0].end(), [&](auto &own) {
            return own.getObjectHandle().getObjGen() == page.getObjectHandle().getObjGen();
        });
        if (!keep)
            pages.removePage(page);
    }
    for (std::size_t k = 1; k < pdfs.size(); ++k) {
        for (QPDFPageObjectHelper &page : kept[k])
            pages.addPage(page, false);
    }
    shareAlikeFonts(joined);
    DevicePipeline pipeline(out);
    QPDFWriter writer(joined);
    writer.setOutputPipeline(&pipeline);
    // The writer's streams go out as they are: compressed ones are not compressed again, the
    // character maps the fonts were completed with stay plain text.
    writer.setDecodeLevel(qpdf_dl_none);
    writer.setCompressStreams(false);
    writer.setObjectStreamMode(qpdf_o_disable);
    writer.write();
}

}  // namespace tessel::print
