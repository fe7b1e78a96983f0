#include "png_decoder.h"

#include <windows.h>
#include <wincodec.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>

namespace qh::testing {
namespace {

struct ReleaseCom {
    void operator()(IUnknown* object) const noexcept { object->Release(); }
};
template <typename T>
using ComOwner = std::unique_ptr<T, ReleaseCom>;

void Check(HRESULT hr, const char* step) {
    if (FAILED(hr)) {
        throw std::runtime_error(std::string("WIC: ") + step + " failed, HRESULT " +
                                 std::to_string(static_cast<unsigned long>(hr)));
    }
}

class ComApartment {
public:
    ComApartment() : hr_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (SUCCEEDED(hr_)) ::CoUninitialize();
    }

private:
    HRESULT hr_;
};

std::uint32_t BigEndian(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return std::uint32_t{bytes.at(at)} << 24 | std::uint32_t{bytes.at(at + 1)} << 16 |
           std::uint32_t{bytes.at(at + 2)} << 8 | bytes.at(at + 3);
}

}  // namespace

DecodedImage DecodePngWithWic(const std::filesystem::path& path) {
    ComApartment apartment;
    IWICImagingFactory* rawFactory = nullptr;
    Check(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&rawFactory)),
          "CoCreateInstance(CLSID_WICImagingFactory)");
    ComOwner<IWICImagingFactory> factory(rawFactory);

    IWICBitmapDecoder* rawDecoder = nullptr;
    Check(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnLoad,
                                             &rawDecoder),
          "CreateDecoderFromFilename");
    ComOwner<IWICBitmapDecoder> decoder(rawDecoder);
    GUID format{};
    Check(decoder->GetContainerFormat(&format), "GetContainerFormat");
    if (format != GUID_ContainerFormatPng) throw std::runtime_error("WIC: the file is not recognised as PNG");

    IWICBitmapFrameDecode* rawFrame = nullptr;
    Check(decoder->GetFrame(0, &rawFrame), "GetFrame");
    ComOwner<IWICBitmapFrameDecode> frame(rawFrame);
    IWICFormatConverter* rawConverter = nullptr;
    Check(factory->CreateFormatConverter(&rawConverter), "CreateFormatConverter");
    ComOwner<IWICFormatConverter> converter(rawConverter);
    Check(converter->Initialize(frame.get(), GUID_WICPixelFormat24bppRGB, WICBitmapDitherTypeNone, nullptr, 0.0,
                                WICBitmapPaletteTypeCustom),
          "FormatConverter::Initialize");

    DecodedImage image;
    UINT width = 0;
    UINT height = 0;
    Check(converter->GetSize(&width, &height), "GetSize");
    image.width = width;
    image.height = height;
    image.rgb.resize(std::size_t{width} * height * 3);
    Check(converter->CopyPixels(nullptr, width * 3, static_cast<UINT>(image.rgb.size()), image.rgb.data()),
          "CopyPixels");
    return image;
}

std::vector<PngChunk> ReadPngChunks(const std::vector<std::uint8_t>& file) {
    static const std::vector<std::uint8_t> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (file.size() < kSignature.size() || !std::equal(kSignature.begin(), kSignature.end(), file.begin())) {
        throw std::runtime_error("not a PNG signature");
    }
    std::vector<PngChunk> chunks;
    std::size_t at = kSignature.size();
    while (at < file.size()) {
        const std::uint32_t length = BigEndian(file, at);
        if (at + 12 + length > file.size()) throw std::runtime_error("a chunk runs past the end of the file");
        PngChunk chunk;
        chunk.type.assign(file.begin() + static_cast<std::ptrdiff_t>(at + 4),
                          file.begin() + static_cast<std::ptrdiff_t>(at + 8));
        chunk.data.assign(file.begin() + static_cast<std::ptrdiff_t>(at + 8),
                          file.begin() + static_cast<std::ptrdiff_t>(at + 8 + length));
        chunk.storedCrc = BigEndian(file, at + 8 + length);
        chunks.push_back(std::move(chunk));
        at += 12 + length;
    }
    return chunks;
}

std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw std::runtime_error("cannot open " + path.string());
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

}  // namespace qh::testing
