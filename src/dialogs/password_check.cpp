// Placeholder until the password check dialog is built.
namespace fizzlet {}
