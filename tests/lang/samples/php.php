<!DOCTYPE html>
<html>
<body>
<?php
declare(strict_types=1);

namespace App\Shop;

interface Priced { public function price(): float; }

abstract class Item implements Priced {
    public function __construct(protected string $name, private float $cost) {}
    public function price(): float { return $this->cost; }
}

final class Book extends Item {
    public const TAX = 0.07;
    public function price(): float {
        return parent::price() * (1 + self::TAX);
    }
}

function total(array $items): float {
    $sum = 0.0;
    foreach ($items as $item) {
        if ($item instanceof Priced) {
            $sum += $item->price();
        } elseif (is_numeric($item)) {
            $sum += (float) $item;
        } else {
            continue;
        }
    }
    return $sum;
}

$books = [new Book('PHP', 30.0), new Book('SQL', 25.5)];
$result = match (true) {
    total($books) > 50 => 'big order',
    default => 'small order',
};
echo htmlspecialchars($result);
try {
    throw new \RuntimeException('demo');
} catch (\RuntimeException $e) {
    print $e->getMessage();
} finally {
    unset($books);
}
?>
</body>
</html>
