// Library identification of ctrllib.
namespace zol {
extern const char *const ctrllib_version;
const char *const ctrllib_version = "0.1.0";
}  // namespace zol
