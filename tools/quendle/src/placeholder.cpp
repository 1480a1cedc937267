// Placeholder so the program library is never empty.
namespace { [[maybe_unused]] int placeholder; }
