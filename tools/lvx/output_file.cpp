#include "output_file.h"

#include <fcntl.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace lvx::tool {
namespace {

std::string Reason(int error) { return std::strerror(error); }

// Writes all bytes to fd; the error number on failure, 0 on success.
int WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return 0;
}

// The file a symbolic link finally names, so that the link itself stays.
std::string Resolved(const std::string& path) {
    struct stat link{};
    if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return path;
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    return real ? std::string(real.get()) : path;
}

std::string WriteInPlace(const std::string& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return Reason(errno);
    int error = WriteAll(fd, bytes);
    if (::close(fd) != 0 && error == 0) error = errno;
    return error == 0 ? std::string() : Reason(error);
}

std::string WriteBeside(const std::string& path, std::string_view bytes, const struct stat* old) {
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return Reason(errno);
    // A new file gets the usual mode under the umask; a replaced one keeps its own.
    mode_t mode = old ? (old->st_mode & 07777) : 0;
    if (!old) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    int error = ::fchmod(fd, mode) == 0 ? 0 : errno;
    if (error == 0) error = WriteAll(fd, bytes);
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(temp.c_str(), path.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temp.c_str());
        return Reason(error);
    }
    return {};
}

}  // namespace

std::string EncodePng(int32_t w, int32_t h, const uint32_t* pixels, std::string& why) {
    const size_t count = static_cast<size_t>(w) * static_cast<size_t>(h);
    std::vector<png_byte> rgb;
    rgb.reserve(count * 3);
    for (size_t i = 0; i < count; ++i) {
        rgb.push_back(static_cast<png_byte>(pixels[i] >> 16));
        rgb.push_back(static_cast<png_byte>(pixels[i] >> 8));
        rgb.push_back(static_cast<png_byte>(pixels[i]));
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(w);
    image.height = static_cast<png_uint_32>(h);
    image.format = PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;
    std::string png;
    if (png_image_write_get_memory_size(image, size, 0, rgb.data(), 0, nullptr)) {
        png.resize(size);
        if (!png_image_write_to_memory(&image, png.data(), &size, 0, rgb.data(), 0, nullptr)) png.clear();
        png.resize(size);
    }
    if (png.empty()) why = image.message;
    png_image_free(&image);
    return png;
}

std::string WriteOutput(const std::string& path, std::string_view bytes, std::ostream& out) {
    if (path == "-") {
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        return out ? std::string() : std::string("cannot write to standard output");
    }
    const std::string target = Resolved(path);
    struct stat st{};
    if (::stat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return Reason(EISDIR);
        if (!S_ISREG(st.st_mode)) return WriteInPlace(target, bytes);
        // A file the user may not write stays as it is, though its folder would allow a rename.
        if (::access(target.c_str(), W_OK) != 0) return Reason(errno);
        return WriteBeside(target, bytes, &st);
    }
    if (errno != ENOENT) return Reason(errno);
    return WriteBeside(target, bytes, nullptr);
}

}  // namespace lvx::tool
