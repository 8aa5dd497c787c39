-- Orders per customer
CREATE TABLE customers (
    id INTEGER PRIMARY KEY,
    name VARCHAR(100) NOT NULL,
    created DATE DEFAULT CURRENT_DATE
);

CREATE TABLE orders (
    id INTEGER PRIMARY KEY,
    customer_id INTEGER REFERENCES customers (id) ON DELETE CASCADE,
    amount DECIMAL(10, 2) CHECK (amount >= 0)
);

CREATE INDEX orders_customer ON orders (customer_id);

INSERT INTO customers (id, name) VALUES (1, 'Ada'), (2, 'Linus');

SELECT c.name, COUNT(o.id) AS orders, SUM(o.amount) AS total
FROM customers c
LEFT JOIN orders o ON o.customer_id = c.id
WHERE c.created > '2020-01-01' AND o.amount IS NOT NULL
GROUP BY c.name
HAVING COUNT(o.id) > 0
ORDER BY total DESC;

UPDATE orders SET amount = amount * 1.1 WHERE id IN (SELECT id FROM orders WHERE amount < 10);
DELETE FROM customers WHERE NOT EXISTS (SELECT 1 FROM orders WHERE customer_id = customers.id);
BEGIN;
ALTER TABLE orders ADD COLUMN note TEXT;
COMMIT;
DROP VIEW IF EXISTS totals;
