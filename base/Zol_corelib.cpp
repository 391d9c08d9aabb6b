// Library identification of corelib.
namespace zol {
extern const char *const corelib_version;
const char *const corelib_version = "0.1.0";
}  // namespace zol
