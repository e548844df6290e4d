#include "image/heic_codec.h"

#include <libheif/heif.h>

#include <cstring>
#include <memory>

#include "image/heif_boxes.h"
#include "image/input_file.h"
#include "image/picture_limit.h"
#include "platform/log.h"

#if defined(__SANITIZE_ADDRESS__)
#define PLEXO_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PLEXO_LEAK_CHECKED 1
#endif
#endif

#ifdef PLEXO_LEAK_CHECKED
// x265 3.5 keeps a block of every encoder it opens past the encoder's close,
// out of this program's reach; the leak checker is told to pass over it so
// that it still catches ours.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libx265.so\n";
}

// Said quietly: a tool's error output stays its own.
extern "C" const char* __lsan_default_options()
{
    return "print_suppressions=0";
}
#endif

namespace plexo {

namespace {

struct ContextFree {
    void operator()(heif_context* c) const { heif_context_free(c); }
};
struct HandleFree {
    void operator()(heif_image_handle* h) const { heif_image_handle_release(h); }
};
struct ImageFree {
    void operator()(heif_image* i) const { heif_image_release(i); }
};
struct EncoderFree {
    void operator()(heif_encoder* e) const { heif_encoder_release(e); }
};
using Context = std::unique_ptr<heif_context, ContextFree>;
using Handle = std::unique_ptr<heif_image_handle, HandleFree>;
using Image = std::unique_ptr<heif_image, ImageFree>;
using Encoder = std::unique_ptr<heif_encoder, EncoderFree>;

constexpr uint8_t kExifHead[] = {0xFF, 0xE1, 0, 0, 'E', 'x', 'i', 'f', 0, 0};
constexpr size_t kSegmentHead = 4;
constexpr size_t kMaxSegmentPayload = 0xFFFF - 2;

// A context over the bytes, which must outlive it; null when they are not
// HEIF. libheif refuses pictures wider than the system's largest side.
Context ContextOf(const uint8_t* bytes, size_t length)
{
    Context context(heif_context_alloc());
    if (!context)
        return nullptr;
    heif_context_set_maximum_image_size_limit(context.get(), kMaxPictureSide);
    if (heif_context_read_from_memory_without_copy(context.get(), bytes, length, nullptr).code != heif_error_Ok)
        return nullptr;
    return context;
}

Handle HandleOf(heif_context* context, heif_item_id id)
{
    heif_image_handle* handle = nullptr;
    if (heif_context_get_image_handle(context, id, &handle).code != heif_error_Ok)
        return nullptr;
    return Handle(handle);
}

Handle PrimaryOf(heif_context* context)
{
    heif_image_handle* handle = nullptr;
    if (heif_context_get_primary_image_handle(context, &handle).code != heif_error_Ok)
        return nullptr;
    return Handle(handle);
}

// The picture as shown: libheif applies the rotation and mirror, and
// converts to 8-bit RGB whatever the coding.
PictureBuffer Decode(heif_image_handle* handle)
{
    heif_image* decoded = nullptr;
    heif_decoding_options* options = heif_decoding_options_alloc();
    const heif_error error =
        heif_decode_image(handle, &decoded, heif_colorspace_RGB, heif_chroma_interleaved_RGB, options);
    heif_decoding_options_free(options);
    if (error.code != heif_error_Ok)
        return {};
    const Image image(decoded);
    const int width = heif_image_get_width(decoded, heif_channel_interleaved);
    const int height = heif_image_get_height(decoded, heif_channel_interleaved);
    int stride = 0;
    const uint8_t* rgb = heif_image_get_plane_readonly(decoded, heif_channel_interleaved, &stride);
    if (!rgb || width <= 0 || height <= 0 || stride < width * 3)
        return {};
    PictureBuffer picture = PictureBuffer::allocate(width, height, 3);
    if (!picture)
        return {};
    for (int r = 0; r < height; ++r) {
        const uint8_t* in = rgb + ptrdiff_t(height - 1 - r) * stride;
        uint8_t* out = picture.row(r);
        for (int x = 0; x < width; ++x, in += 3, out += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
    }
    return picture;
}

DecodedSize SizeOf(heif_image_handle* handle)
{
    return {heif_image_handle_get_width(handle), heif_image_handle_get_height(handle)};
}

// The payload of the handle's first metadata block of the type ("Exif") or
// content type ("application/rdf+xml").
std::vector<uint8_t> MetadataOf(heif_image_handle* handle, const char* type, const char* contentType)
{
    const int count = heif_image_handle_get_number_of_metadata_blocks(handle, nullptr);
    if (count <= 0)
        return {};
    std::vector<heif_item_id> ids(static_cast<size_t>(count));
    heif_image_handle_get_list_of_metadata_block_IDs(handle, nullptr, ids.data(), count);
    for (const heif_item_id id : ids) {
        const char* kind = heif_image_handle_get_metadata_type(handle, id);
        const char* content = heif_image_handle_get_metadata_content_type(handle, id);
        const bool wanted = (type && kind && std::strcmp(kind, type) == 0) ||
                            (contentType && content && std::strcmp(content, contentType) == 0);
        if (!wanted)
            continue;
        std::vector<uint8_t> data(heif_image_handle_get_metadata_size(handle, id));
        if (data.empty() || heif_image_handle_get_metadata(handle, id, data.data()).code != heif_error_Ok)
            return {};
        return data;
    }
    return {};
}

SpatialFacts XmpFacts(heif_image_handle* handle)
{
    const std::vector<uint8_t> xmp = MetadataOf(handle, "mime", "application/rdf+xml");
    return SpatialFactsOfXmp(std::string(xmp.begin(), xmp.end()));
}

// The pair a `ster` group names, when both are pictures of the file.
std::optional<std::pair<Handle, Handle>> StereoHandles(heif_context* context, const HeifBoxFacts& boxes)
{
    if (!boxes.stereo || boxes.stereo->left == boxes.stereo->right)
        return std::nullopt;
    Handle left = HandleOf(context, boxes.stereo->left);
    Handle right = left ? HandleOf(context, boxes.stereo->right) : nullptr;
    if (!right)
        return std::nullopt;
    return std::make_pair(std::move(left), std::move(right));
}

heif_error Collect(heif_context*, const void* data, size_t size, void* into)
{
    auto* out = static_cast<std::vector<uint8_t>*>(into);
    const auto* bytes = static_cast<const uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
    return {heif_error_Ok, heif_suberror_Unspecified, "ok"};
}

// An RGB image of the picture, top row first.
Image RgbImage(const Picture& picture)
{
    heif_image* made = nullptr;
    if (heif_image_create(picture.width, picture.height, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &made)
            .code != heif_error_Ok)
        return nullptr;
    Image image(made);
    if (heif_image_add_plane(made, heif_channel_interleaved, picture.width, picture.height, 8).code != heif_error_Ok)
        return nullptr;
    int stride = 0;
    uint8_t* rgb = heif_image_get_plane(made, heif_channel_interleaved, &stride);
    if (!rgb)
        return nullptr;
    for (int r = 0; r < picture.height; ++r) {
        const uint8_t* in = picture.row(picture.height - 1 - r);
        uint8_t* out = rgb + ptrdiff_t(r) * stride;
        for (int x = 0; x < picture.width; ++x, in += 3, out += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
    }
    return image;
}

bool Failed(const heif_error& error, const char* what)
{
    if (error.code == heif_error_Ok)
        return false;
    LogMessage(std::string("HEIC: ") + what + ": " + (error.message ? error.message : "failed"));
    return true;
}

}  // namespace

HeicPictures DecodeHeic(const uint8_t* bytes, size_t length, bool pair, const std::string& path)
{
    HeicPictures pictures;
    const Context context = ContextOf(bytes, length);
    if (!context)
        return pictures;
    const HeifBoxFacts boxes = pair ? ReadHeifBoxes(bytes, length) : HeifBoxFacts{};
    std::optional<std::pair<Handle, Handle>> eyes = pair ? StereoHandles(context.get(), boxes) : std::nullopt;
    Handle first = eyes ? std::move(eyes->first) : PrimaryOf(context.get());
    Handle second = eyes ? std::move(eyes->second) : nullptr;
    if (!first)
        return pictures;
    const std::optional<std::string> refusal =
        second ? DecodedSizeRefusal({SizeOf(first.get()), SizeOf(second.get())}, 3)
               : DecodedSizeRefusal({SizeOf(first.get())}, 3);
    if (refusal) {
        LogRefusedPicture(path, *refusal);
        return pictures;
    }
    pictures.pairNamed = second != nullptr;
    if (second) {
        pictures.spatial = XmpFacts(first.get());
        MergeSpatialFacts(pictures.spatial, XmpFacts(second.get()));
        MergeSpatialFacts(pictures.spatial, CameraFacts(boxes, *boxes.stereo));
    }
    pictures.first = Decode(first.get());
    if (pictures.first && second) {
        pictures.second = Decode(second.get());
        if (!pictures.second)
            pictures.flatReason = "its right eye does not decode; shown as a single view";
    }
    return pictures;
}

HeicPictures ReadHeicFile(const std::string& path, bool pair)
{
    size_t length = 0;
    const std::unique_ptr<uint8_t[]> bytes = ReadWholeFile(path, kMaxHeicFileBytes, length);
    if (!bytes)
        return {};
    return DecodeHeic(bytes.get(), length, pair, path);
}

std::vector<uint8_t> HeicExifSegment(const uint8_t* bytes, size_t length)
{
    const Context context = ContextOf(bytes, length);
    const Handle primary = context ? PrimaryOf(context.get()) : nullptr;
    if (!primary)
        return {};
    const std::vector<uint8_t> block = MetadataOf(primary.get(), "Exif", nullptr);
    // The block starts with the offset of the TIFF header after it.
    if (block.size() < 4)
        return {};
    const uint64_t skip = uint64_t(block[0]) << 24 | uint64_t(block[1]) << 16 | uint64_t(block[2]) << 8 | block[3];
    if (skip > block.size() - 4 - 8)
        return {};
    const uint8_t* tiff = block.data() + 4 + skip;
    const size_t tiffSize = block.size() - 4 - size_t(skip);
    if (tiffSize + 6 > kMaxSegmentPayload)
        return {};
    std::vector<uint8_t> segment(std::begin(kExifHead), std::end(kExifHead));
    const size_t payload = tiffSize + 6 + 2;
    segment[2] = uint8_t(payload >> 8);
    segment[3] = uint8_t(payload);
    segment.insert(segment.end(), tiff, tiff + tiffSize);
    return segment;
}

std::optional<std::vector<uint8_t>> EncodeSpatialHeic(const Picture& left, const Picture& right, int quality,
                                                      const std::vector<uint8_t>& exifSegment,
                                                      const SpatialFacts& spatial)
{
    if (!left || !right || left.bytesPerPixel != 3 || right.bytesPerPixel != 3)
        return std::nullopt;
    const Context context(heif_context_alloc());
    heif_encoder* made = nullptr;
    if (!context ||
        Failed(heif_context_get_encoder_for_format(context.get(), heif_compression_HEVC, &made), "no HEVC encoder"))
        return std::nullopt;
    const Encoder encoder(made);
    heif_encoder_set_lossy_quality(made, quality);
    const std::string xmp = SpatialXmp(spatial);
    const Picture eyes[] = {left, right};
    for (const Picture& eye : eyes) {
        const Image image = RgbImage(eye);
        heif_image_handle* handle = nullptr;
        if (!image || Failed(heif_context_encode_image(context.get(), image.get(), made, nullptr, &handle),
                             "an eye does not encode"))
            return std::nullopt;
        const Handle held(handle);
        const size_t tiffAt = kSegmentHead + 6;
        if (exifSegment.size() > tiffAt &&
            Failed(heif_context_add_exif_metadata(context.get(), handle, exifSegment.data() + tiffAt,
                                                  int(exifSegment.size() - tiffAt)),
                   "the Exif block is refused"))
            return std::nullopt;
        if (Failed(heif_context_add_XMP_metadata(context.get(), handle, xmp.data(), int(xmp.size())),
                   "the spatial XMP is refused"))
            return std::nullopt;
    }
    std::vector<uint8_t> written;
    heif_writer writer{1, Collect};
    if (Failed(heif_context_write(context.get(), &writer, &written), "the file cannot be made"))
        return std::nullopt;
    // The first picture encoded is the primary one; the group names the ids
    // the written file gives the two.
    const Context back = ContextOf(written.data(), written.size());
    heif_item_id ids[2] = {};
    heif_item_id primary = 0;
    if (!back || heif_context_get_number_of_top_level_images(back.get()) != 2 ||
        heif_context_get_list_of_top_level_image_IDs(back.get(), ids, 2) != 2 ||
        heif_context_get_primary_image_ID(back.get(), &primary).code != heif_error_Ok)
        return std::nullopt;
    const HeifStereoPair pair{primary, ids[0] == primary ? ids[1] : ids[0]};
    std::optional<std::vector<uint8_t>> grouped = WithStereoGroup(written.data(), written.size(), pair);
    if (!grouped)
        LogMessage("HEIC: the stereo group cannot be added to the file libheif wrote");
    return grouped;
}

}  // namespace plexo
