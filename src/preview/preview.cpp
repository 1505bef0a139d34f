// Placeholder until the preview host is built.
namespace fizzlet {}
