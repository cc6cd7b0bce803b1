// Packing an image into the runtime executable: header resource checks, the
// appended blocks, and the two offsets written into the header resource.
#include "pack.h"
#include "imagefile.h"
#include "pe.h"
#include <cstring>

namespace pack {

using img::Bytes;

// The resource block must at least hold its count and offset table, which the
// runtime reads without checking.
static bool check_resources(const Bytes &r, std::string *error) {
  if (r.size() >= 4 && (r.size() - 4) / 4 >= img::get_u32be(r.data())) return true;
  *error = "the resource block is too short for its count and offset table";
  return false;
}

bool pack_image(const Bytes &runtime, const img::Image &image, const Bytes *resources, Bytes *out,
                std::string *error) {
  pe::ResourceSpot spot;
  if (!pe::find_resource(runtime, "PICKLE", 101, &spot, error)) return false;
  if (spot.size != 8) {
    *error = "the image header resource PICKLE/101 has " + std::to_string(spot.size) +
             " bytes instead of 8";
    return false;
  }
  if (std::memcmp(&runtime[spot.file_offset], "PICK", 4) != 0) {
    *error = "the runtime already carries an image (its header resource no longer says PICK)";
    return false;
  }
  if (resources && !check_resources(*resources, error)) return false;
  Bytes blocks = img::write_appended(image);
  uint64_t total = runtime.size() + (resources ? resources->size() : 0) + blocks.size();
  if (total > 0xFFFFFFFFu) return *error = "the packed executable would exceed 4 GB", false;
  Bytes exe = runtime;
  uint32_t res_at = 0xFFFFFFFFu; // no resource block
  if (resources) {
    res_at = uint32_t(exe.size());
    img::put_bytes(exe, *resources);
  }
  uint32_t image_at = uint32_t(exe.size());
  img::put_bytes(exe, blocks); // the blocks end exactly at the end of the file
  img::set_u32(exe, spot.file_offset, image_at);
  img::set_u32(exe, spot.file_offset + 4, res_at);
  *out = std::move(exe);
  return true;
}

} // namespace pack
