-- A small store database for trying the observation merge: orders in several statuses and
-- observations with and without temporary text, accented text included.
SET SQL DIALECT 3;
CREATE TABLE fatcppedido (
  lja_codigo INTEGER NOT NULL,
  cpe_codigo INTEGER NOT NULL,
  cpe_status CHAR(1),
  PRIMARY KEY (lja_codigo, cpe_codigo)
);
CREATE TABLE fatobservpedido (
  lja_codigo INTEGER NOT NULL,
  cpe_codigo INTEGER NOT NULL,
  obs_observ BLOB SUB_TYPE TEXT,
  obs_temp VARCHAR(4000),
  PRIMARY KEY (lja_codigo, cpe_codigo)
);
INSERT INTO fatcppedido VALUES (1, 101, 'W');
INSERT INTO fatcppedido VALUES (1, 102, 'W');
INSERT INTO fatcppedido VALUES (1, 103, 'F');
INSERT INTO fatcppedido VALUES (2, 201, 'W');
INSERT INTO fatcppedido VALUES (2, 202, 'w');
INSERT INTO fatcppedido VALUES (2, 203, 'W');
INSERT INTO fatobservpedido VALUES (1, 101, 'Entregar pela manhã', 'Cliente pediu nota fiscal');
INSERT INTO fatobservpedido VALUES (1, 102, NULL, 'Embalagem para presente');
INSERT INTO fatobservpedido VALUES (1, 103, 'Pedido faturado', 'Não deve ser mesclado: status F');
INSERT INTO fatobservpedido VALUES (2, 201, 'Atenção: frágil', 'Ligar antes de sair "urgente"');
INSERT INTO fatobservpedido VALUES (2, 202, 'Status w minúsculo', 'Não deve ser mesclado');
INSERT INTO fatobservpedido VALUES (2, 203, 'Sem texto temporário', NULL);
COMMIT;
