// The interpreter end to end on sources compiled by our compiler.
#include "gs_compiled_script_support.h"

namespace {

using gstest::Int;

class GSInterpreterScriptTest : public gstest::CompiledScriptTest {};

TEST_F(GSInterpreterScriptTest, Probe) {
    ASSERT_NE(Load("probe", "class A { int n = 3; int F(int x) { return x * n + 1; } int G() { int i; for (i = 0; i < 3; i++) { } return i; } void H() { while (true) {} } };"), nullptr);
    std::cout << Disassembly("A", "$int@A::F(int)") << "--\n" << Disassembly("A", "$int@A::G()") << "--\n" << Disassembly("A", "$void@A::H()")<< "--\n";
    const GSClass* a = Class("A");
    std::cout << DisassembleGSCode(a->Initialiser()->code).text;
    GSObject* o = New("A");
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(CallInt(o, "A", "$int@A::F(int)", {Int(5)}), 16);
    for (auto& l : gstest::LogLines()) std::cout << l << "\n";
}

}  // namespace
