#pragma once

namespace bio {

class Program;

// The input window's event procedures.
void Nurel_Form_Load(Program& program);
void Nurel_Command1_Click(Program& program);

// The result window's event procedures: 終了, グラフ印刷, メッセージ印刷.
void Sindan_Command1_Click(Program& program);
void Sindan_Command2_Click(Program& program);
void Sindan_Command3_Click(Program& program);

}  // namespace bio
