// Library identification of chemlib.
namespace zol {
extern const char *const chemlib_version;
const char *const chemlib_version = "0.1.0";
}  // namespace zol
