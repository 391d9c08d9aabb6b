// Library identification of geolib.
namespace zol {
extern const char *const geolib_version;
const char *const geolib_version = "0.1.0";
}  // namespace zol
