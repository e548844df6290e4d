#include "convert/export_stills.h"

#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include "convert/output_names.h"
#include "image/exif_segment.h"
#include "image/heic_codec.h"
#include "image/jpeg_codec.h"
#include "image/jpeg_segments.h"
#include "image/jps_block.h"
#include "image/mpo_writer.h"
#include "image/write_bmp_file.h"
#include "platform/atomic_file.h"
#include "platform/log.h"

namespace plexo {

namespace {

// Names each frame's file, refuses a second frame of one number, and syncs
// the folder once, after the last file.
class StillWriter : public ExportWriter {
public:
    StillWriter(const ExportStart& start, const ExportFormat& format)
        : out_(start.path), frames_(start.frames), format_(format)
    {
    }

    bool Finish() final { return !wrote_ || platform::SyncFolderOf(out_); }

protected:
    // Writes the file of the frame numbered `number` through `write`, which
    // is false when the frame could not be encoded or written.
    template <class Write>
    bool WriteFile(int32_t number, Write&& write)
    {
        const std::string path = ExportFileName(format_, out_, frames_, number);
        if (!names_.Claim(path))
            return false;
        platform::AtomicFile file(path);
        if (!write(file) || !file.commit(platform::AtomicFile::Folder::LeaveToCaller))
            return false;
        wrote_ = true;
        return true;
    }

private:
    std::string out_;
    int32_t frames_;
    const ExportFormat& format_;
    RunOutputNames names_;
    bool wrote_ = false;
};

bool WriteSpans(platform::AtomicFile& file, std::initializer_list<std::pair<const uint8_t*, size_t>> spans)
{
    for (const auto& [data, size] : spans)
        if (!file.write(data, size))
            return false;
    return true;
}

// The Exif block of the frame's first eye, read again only when the eye
// comes from another file.
class SourceExif {
public:
    void From(const std::string& path)
    {
        if (path == path_)
            return;
        block_ = path.empty() ? std::vector<uint8_t>{} : ReadUprightExif(path);
        path_ = path;
    }
    const std::vector<uint8_t>& block() const { return block_; }

private:
    std::string path_;
    std::vector<uint8_t> block_;
};

// A JPEG stream of the frame, with the source's Exif block and an
// application block of the row's own (JPS's) put in after the leading ones.
class JpegWriter : public StillWriter {
public:
    JpegWriter(const ExportStart& start, const ExportFormat& format, std::vector<uint8_t> block)
        : StillWriter(start, format), quality_(start.options->quality), block_(std::move(block))
    {
    }

    void FirstEyeSource(const std::string& path) override { exif_.From(path); }

    bool Put(const Picture& frame, int32_t number) override
    {
        return WriteFile(number, [&](platform::AtomicFile& file) {
            if (!encoder_.Encode(frame, quality_, JpegRows::Picture))
                return false;
            const uint8_t* stream = encoder_.data();
            const std::vector<uint8_t>& exif = exif_.block();
            const size_t at = block_.empty() && exif.empty() ? 0 : HeaderInsertPoint(stream, encoder_.size());
            return WriteSpans(file, {{stream, at},
                                     {exif.data(), exif.size()},
                                     {block_.data(), block_.size()},
                                     {stream + at, encoder_.size() - at}});
        });
    }

private:
    int quality_;
    std::vector<uint8_t> block_;
    SourceExif exif_;
    JpegEncoder encoder_;
};

class BmpWriter : public StillWriter {
public:
    using StillWriter::StillWriter;

    bool Put(const Picture& frame, int32_t number) override
    {
        return WriteFile(number, [&](platform::AtomicFile& file) {
            const Picture packed = PackedRows(frame, store_);
            const std::vector<uint8_t> header = BitmapHeaderFor(packed);
            return !header.empty() && WriteBmpInto(file, header.data(), packed.data);
        });
    }

private:
    std::vector<uint8_t> store_;
};

// The first eye's stream waits, encoded, for the second; the file is
// written once both are, the source's Exif block in the first stream before
// the index, whose offsets count it.
class MpoWriter : public StillWriter {
public:
    MpoWriter(const ExportStart& start, const ExportFormat& format)
        : StillWriter(start, format), quality_(start.options->quality)
    {
    }

    bool Put(const Picture&, int32_t) override { return false; }

    void FirstEyeSource(const std::string& path) override { exif_.From(path); }

    bool PutEye(int eye, const Picture& picture, int32_t number) override
    {
        if (eye == 0) {
            firstMade_ = first_.Encode(picture, quality_, JpegRows::Picture);
            return firstMade_;
        }
        if (!std::exchange(firstMade_, false) || !second_.Encode(picture, quality_, JpegRows::Picture))
            return false;
        const uint8_t* stream = first_.data();
        size_t size = first_.size();
        if (const std::vector<uint8_t>& exif = exif_.block(); !exif.empty()) {
            const size_t at = HeaderInsertPoint(stream, size);
            withExif_.assign(stream, stream + at);
            withExif_.insert(withExif_.end(), exif.begin(), exif.end());
            withExif_.insert(withExif_.end(), stream + at, stream + size);
            stream = withExif_.data();
            size = withExif_.size();
        }
        const std::optional<MpoPieces> pieces = MpoPairPieces(stream, size, second_.size());
        if (!pieces)
            return false;
        return WriteFile(number, [&](platform::AtomicFile& file) {
            const size_t at = pieces->insertAt;
            return WriteSpans(file, {{stream, at},
                                     {pieces->index.data(), pieces->index.size()},
                                     {stream + at, size - at},
                                     {second_.data(), second_.size()}});
        });
    }

private:
    int quality_;
    SourceExif exif_;
    JpegEncoder first_;
    JpegEncoder second_;
    // The first stream with the Exif block put in.
    std::vector<uint8_t> withExif_;
    // The first eye of the frame under way is encoded.
    bool firstMade_ = false;
};

// A spatial photo: the first eye waits, copied, for the second; both are
// encoded at once with the source's Exif block, and the D the user chose is
// written as the disparity adjustment rather than moving the pixels.
class HeicWriter : public StillWriter {
public:
    HeicWriter(const ExportStart& start, const ExportFormat& format)
        : StillWriter(start, format), quality_(start.options->quality), dist_(start.options->adjust.dist)
    {
    }

    bool Put(const Picture&, int32_t) override { return false; }

    void FirstEyeSource(const std::string& path) override { exif_.From(path); }

    bool PutEye(int eye, const Picture& picture, int32_t number) override
    {
        if (eye == 0) {
            // The picture lasts only for this call.
            first_ = PictureBuffer::allocate(picture.width, picture.height, picture.bytesPerPixel);
            if (!first_)
                return false;
            for (int r = 0; r < picture.height; ++r)
                std::memcpy(first_.row(r), picture.row(r), picture.rowBytes());
            return true;
        }
        const PictureBuffer kept = std::exchange(first_, PictureBuffer{});
        const Picture left = kept.view();
        if (!left)
            return false;
        SpatialFacts spatial;
        spatial.disparityAdjustment = AdjustmentOfDist(dist_, left.width);
        const std::optional<std::vector<uint8_t>> file =
            EncodeSpatialHeic(left, picture, quality_, exif_.block(), spatial);
        if (!file)
            return false;
        return WriteFile(number, [&](platform::AtomicFile& out) { return out.write(file->data(), file->size()); });
    }

private:
    int quality_;
    int32_t dist_;
    SourceExif exif_;
    PictureBuffer first_;
};

// The row of the start's path, which chose the writer.
const ExportFormat* RowOf(const ExportStart& start)
{
    const ExportFormat* format = ExportFormatOf(start.path);
    if (!format || !start.options) {
        LogMessage(start.path + ": no export format has this extension");
        return nullptr;
    }
    return format;
}

template <class Writer, class... Extra>
std::unique_ptr<ExportWriter> Open(const ExportStart& start, Extra&&... extra)
{
    const ExportFormat* format = RowOf(start);
    if (!format)
        return nullptr;
    return std::make_unique<Writer>(start, *format, std::forward<Extra>(extra)...);
}

}  // namespace

std::unique_ptr<ExportWriter> OpenMpoWriter(const ExportStart& start) { return Open<MpoWriter>(start); }

std::unique_ptr<ExportWriter> OpenJpsWriter(const ExportStart& start)
{
    return Open<JpegWriter>(start, JpsBlockFor({LayoutKind::SideBySide, false, true}));
}

std::unique_ptr<ExportWriter> OpenJpgWriter(const ExportStart& start)
{
    return Open<JpegWriter>(start, std::vector<uint8_t>{});
}

std::unique_ptr<ExportWriter> OpenBmpWriter(const ExportStart& start) { return Open<BmpWriter>(start); }

std::unique_ptr<ExportWriter> OpenHeicWriter(const ExportStart& start) { return Open<HeicWriter>(start); }

}  // namespace plexo
