# A tiny inventory
require 'json'

module Shop
  class Item
    attr_reader :name, :count

    def initialize(name, count = 0)
      @name = name
      @count = count
    end

    def to_h
      { name: name, count: count }
    end
  end

  class Inventory
    include Enumerable

    def initialize
      @items = []
    end

    def add(item)
      raise ArgumentError, 'nil item' if item.nil?
      @items << item
      self
    end

    def each(&block)
      @items.each(&block)
    end

    def total
      sum = 0
      @items.each do |i|
        next if i.count.zero?
        sum += i.count
      end
      sum
    end
  end
end

inv = Shop::Inventory.new
inv.add(Shop::Item.new('pen', 3))
begin
  inv.add(nil)
rescue ArgumentError => e
  puts e.message
ensure
  puts inv.total
end
unless inv.total > 10
  puts JSON.generate(inv.map(&:to_h))
end
case inv.total
when 0 then puts 'empty'
else puts 'stocked'
end
until true do end
puts defined?(inv) ? true : false
