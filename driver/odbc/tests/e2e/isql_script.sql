DROP TABLE IF EXISTS isql_items
CREATE TABLE isql_items(id INTEGER, name VARCHAR(30), price DOUBLE)
INSERT INTO isql_items VALUES(1, 'pen', 1.5)
INSERT INTO isql_items VALUES(2, 'ink', 2.25)
INSERT INTO isql_items VALUES(3, NULL, NULL)
SELECT id, name, price FROM isql_items ORDER BY id
UPDATE isql_items SET price = 9.5 WHERE id = 2
SELECT name, price FROM isql_items WHERE id = 2
SELEC broken
SELECT * FROM no_such_table
SELECT COUNT(*) FROM isql_items
