// Library identification of numlib.
namespace zol {
extern const char *const numlib_version;
const char *const numlib_version = "0.1.0";
}  // namespace zol
