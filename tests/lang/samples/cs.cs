using System;
using System.Collections.Generic;
using System.Linq;
using System.Threading.Tasks;

namespace Example.Inventory
{
    public record Item(string Name, int Count);

    public sealed class Store
    {
        private readonly List<Item> _items = new();
        public int Total => _items.Sum(i => i.Count);

        public void Add(Item item)
        {
            if (item is null)
            {
                throw new ArgumentNullException(nameof(item));
            }
            _items.Add(item);
        }

        public async Task<int> CountAsync(string prefix)
        {
            await Task.Delay(1);
            var query = from i in _items
                        where i.Name.StartsWith(prefix)
                        select i.Count;
            return query.Sum();
        }

        public static void Main(string[] args)
        {
            var store = new Store();
            foreach (var name in args)
            {
                store.Add(new Item(name, 1));
            }
            switch (store.Total)
            {
                case 0:
                    Console.WriteLine("empty");
                    break;
                default:
                    Console.WriteLine(store.Total);
                    break;
            }
            bool done = true;
            while (!done) { continue; }
        }
    }
}
