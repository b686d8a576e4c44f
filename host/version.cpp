namespace velmor::host {
const char* Version() { return "0.1.0"; }
}  // namespace velmor::host
