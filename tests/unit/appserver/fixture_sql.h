#pragma once
// The small database most method tests run against. Airline XY (0101) flies
// 1234 from branch 0001 with three legs (the third without equipment) and
// 0500 with one; ZW (0202) flies 7777; branch 0002 has its own 1234.
// Ranges stored on 0001/XY/1234/01:
//   S1  1-20, 21-50, 51-9999        S3  10-20, 30-40
//   S2  1-100 (EXE/VERAO), 101-200 (ECO/PADRAO)   S4  1-20
// S5 is a service without ranges, M1 a product that is no service.

namespace appserver_test {

inline constexpr char kFixtureSql[] = R"SQL(
INSERT INTO FILIAL (CDFILIAL, NMFILIAL) VALUES ('0001', 'Cozinha Teste'), ('0002', 'Cozinha Dois');
INSERT INTO COMPANHIA (CDCIA, SGCIA, NMCIA) VALUES ('0101', 'XY', 'Xis Aviação'), ('0202', 'ZW', 'Zeta Linhas');
INSERT INTO EQUIPAMENTO (CDEQUIP, SGEQUIP) VALUES ('0001', 'JT-100');
INSERT INTO VOO (CDFILIAL, CDCIA, NRVOO) VALUES
  ('0001', '0101', '1234'), ('0001', '0101', '0500'), ('0001', '0202', '7777'), ('0002', '0101', '1234');
INSERT INTO TRECHO (CDFILIAL, CDCIA, NRVOO, CDTRECHO, DSTRECHO, BASEORI, BASEDES, CDEQUIP, SGPREFIXO) VALUES
  ('0001', '0101', '1234', '01', 'GRU-GIG 07h00', 'GRU', 'GIG', '0001', 'PR-AAA'),
  ('0001', '0101', '1234', '02', 'GIG-SSA 09h30', 'GIG', 'SSA', '0001', 'PR-AAA'),
  ('0001', '0101', '1234', '03', 'SSA-REC 12h00', 'SSA', 'REC', NULL, 'PR-AAA'),
  ('0001', '0101', '0500', '01', 'GRU-BSB 08h00', 'GRU', 'BSB', '0001', 'PR-BBB'),
  ('0001', '0202', '7777', '01', 'GRU-POA 10h00', 'GRU', 'POA', '0001', 'PT-CCC'),
  ('0002', '0101', '1234', '01', 'GIG-GRU 18h00', 'GIG', 'GRU', '0001', 'PR-DDD');
INSERT INTO CLASSE (CDCLASSE, SGCLASSE) VALUES ('0001', 'ECO'), ('0002', 'EXE');
INSERT INTO CICLO (CDCICLO, IDCICLO) VALUES ('0001', 'PADRAO'), ('0002', 'VERAO');
INSERT INTO CLASSECIA (CDFILIAL, CDCIA, CDCLASSE, DSCLASSECIA) VALUES
  ('0001', '0101', '0001', 'Econômica'), ('0001', '0101', '0002', 'Executiva');
INSERT INTO CICLOCIA (CDFILIAL, CDCIA, CDCICLO, IDCICLO) VALUES
  ('0001', '0101', '0001', 'PADRAO'), ('0001', '0101', '0002', 'VERAO');
INSERT INTO PRODUTO (CDCIA, CDPRODUTO, NMPRODUTO, CDARVPROD, CDNVPRODUTO, IDPRODCOMISS, CDCLASSE, CDCICLO) VALUES
  ('0101', 'G1', 'Refeições', '01', 1, '0', NULL, NULL),
  ('0101', 'S1', 'Café da manhã', '01.01.001', 3, '1', '0001', '0001'),
  ('0101', 'S2', 'Almoço', '01.01.002', 3, '1', '0002', '0002'),
  ('0101', 'S3', 'Suco', '01.02.001', 3, '1', '0001', '0001'),
  ('0101', 'S4', 'Água', '01.02.002', 3, '1', '0001', '0001'),
  ('0101', 'S5', 'Lanche', '01.03.001', 3, '1', '0002', '0002'),
  ('0101', 'M1', 'Copo', '02.01.001', 3, '2', NULL, NULL),
  ('0202', 'S1', 'Café Zeta', '01.01.001', 3, '1', '0001', '0001');
INSERT INTO PROPSERVICO (CDFILIAL, CDCIA, NRVOO, CDTRECHO, CDSERVICO, QTPAXDE, QTPAXATE, CDCLASSE, CDCICLO, QTSERVICO)
VALUES
  ('0001', '0101', '1234', '01', 'S1', 1, 20, '0001', '0001', 2),
  ('0001', '0101', '1234', '01', 'S1', 21, 50, '0001', '0001', 4),
  ('0001', '0101', '1234', '01', 'S1', 51, 9999, '0001', '0001', 6),
  ('0001', '0101', '1234', '01', 'S2', 1, 100, '0002', '0002', 1),
  ('0001', '0101', '1234', '01', 'S2', 101, 200, '0001', '0001', 2),
  ('0001', '0101', '1234', '01', 'S3', 10, 20, '0001', '0001', 1),
  ('0001', '0101', '1234', '01', 'S3', 30, 40, '0001', '0001', 2),
  ('0001', '0101', '1234', '01', 'S4', 1, 20, '0001', '0001', 3),
  ('0002', '0101', '1234', '01', 'S1', 1, 9999, '0001', '0001', 7);
)SQL";

}  // namespace appserver_test
