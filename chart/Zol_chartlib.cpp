// Library identification of chartlib.
namespace zol {
extern const char *const chartlib_version;
const char *const chartlib_version = "0.1.0";
}  // namespace zol
