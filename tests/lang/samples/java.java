package org.example.shapes;

import java.util.ArrayList;
import java.util.List;

/** A list of shapes that reports their total area. */
public final class ShapeList implements Iterable<Shape> {
    private final List<Shape> shapes = new ArrayList<>();
    private static int created = 0;

    public ShapeList() {
        created++;
    }

    public synchronized void add(Shape s) throws IllegalArgumentException {
        if (s == null) {
            throw new IllegalArgumentException("null shape");
        }
        shapes.add(s);
    }

    public double totalArea() {
        double sum = 0.0;
        for (Shape s : shapes) {
            if (s instanceof Circle c && c.radius() > 0) {
                sum += c.area();
            } else {
                sum += s.area();
            }
        }
        return sum;
    }

    @Override
    public java.util.Iterator<Shape> iterator() {
        return shapes.iterator();
    }

    record Circle(double radius) implements Shape {
        public double area() { return Math.PI * radius * radius; }
    }

    sealed interface Shape permits Circle { double area(); }

    public static void main(String[] args) {
        var list = new ShapeList();
        try {
            list.add(new Circle(2));
        } catch (IllegalArgumentException e) {
            System.err.println(e.getMessage());
        } finally {
            System.out.println(list.totalArea());
        }
        boolean empty = false;
        switch (args.length) {
            case 0 -> System.out.println("no arguments");
            default -> System.out.println(args.length);
        }
    }
}
